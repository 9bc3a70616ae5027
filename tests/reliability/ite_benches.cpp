// The ITE settings exchange, connection check, read and write against an emulated IT85xx
// board. Check, read and write find the settings already in the adapter, as after a
// "Send settings" that went well. The write runs as the window runs it, through its safe
// chain (backup read, the documented erase and write, read-back); its "steps off" bench
// runs the documented sequence alone, as --no-backup --no-verify --force does.

#include <algorithm>
#include <thread>

#include "emulator/ite/it85_board.h"
#include "tests/reliability/bench_views.h"
#include "tests/reliability/operations.h"
#include "tools/ite/ite_double_read.h"
#include "tools/ite/ite_messages.h"
#include "tools/ite/ite_safe_write.h"
#include "tools/ite/ite_tool.h"

namespace tarvex::reliability {
namespace {

namespace text = ite_text;
constexpr std::size_t kFlashSize = IteTool::kFlashSize;
// The image a write programs: a run of non-blank bytes at the start of an erased flash, so
// the only flash address the tool sends is 00 00 00. A varied bench writes a few runs
// spread over the flash instead, each starting at an address with no 'I' or 'O' byte in
// it, so no request byte is ever an outcome letter.
constexpr std::size_t kProgrammedBytes = 1024;
constexpr int kVariedRuns = 4;

bool addressSendable(std::uint32_t address) {
  for (int shift : {0, 8, 16}) {
    const auto byte = static_cast<std::uint8_t>(address >> shift);
    if (byte == 'I' || byte == 'O') return false;
  }
  return true;
}

const emu::It85Board::Wiring kWiring{3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 15, 14, 11, 16, 17};

// The pin boxes for that wiring: the boxes hold SLIN# before INIT#, the board the reverse.
PinAssignments boxesForWiring() {
  const auto& w = kWiring;
  return {w[0], w[1], w[2],  w[3],  w[4],  w[5],  w[6], w[7],
          w[8], w[9], w[11], w[10], w[12], w[13], w[14]};
}

IteBounds boundsOf(const BenchConfig& config) {
  IteBounds b;
  b.reply = b.attach = b.page = b.firstAddress = b.flashByte = b.drain = config.bound;
  return b;
}

class IteBench : public Bench {
 public:
  explicit IteBench(const BenchConfig& config, bool settingsSent)
      : IteBench(config, std::make_shared<emu::It85Board>(kWiring), settingsSent) {}

  std::vector<std::string> lines() const override { return view_.lines(); }
  std::vector<std::string> errorBoxes() const override { return boxesSince(view_); }
  void clearView() override { forgetView(view_); }
  std::optional<std::string> modeWord() const override { return tool_.mode().get(); }
  std::optional<bool> buttonsEnabled() const override { return view_.allButtonsEnabled(); }

 protected:
  std::vector<std::string> failurePrefixes() const override {
    return {text::kSettingsRefused, text::kSettingsProtocol, text::kNoChipEnglish,
            text::kNoChipRussian,   text::kReadCreateFailed, text::kReadFileWriteFailed,
            text::kBadBlock,        text::kWriteOpenFailed,  text::kWriteFileReadFailed,
            text::kAddressRefused,  text::kByteRefused,      text::kStrayBlock};
  }
  std::vector<std::uint8_t> wrongTag() const override { return emu::tags::v41(); }
  std::size_t diskRoom() const override { return kFlashSize / 2; }

  void armBoard(const emu::It85Board::Faults& faults) { board_->setFaults(faults); }
  void clearBadStatus() override { board_->setFaults({}); }
  void stream(bool started) {
    reported_ = false;
    if (!started) return;
    std::thread worker([this] { reported_ = tool_.runWorker(); });
    worker.join();
  }

  std::shared_ptr<emu::It85Board> board_;
  IteBenchView view_;
  IteTool tool_;

 private:
  IteBench(const BenchConfig& config, std::shared_ptr<emu::It85Board> board, bool settingsSent)
      : Bench(config, emu::tags::ite(), board),
        board_(std::move(board)),
        tool_(bus_, view_, view_, boundsOf(config)) {
    view_.pins = boxesForWiring();
    setImage(scratch("ite.bin"));
    if (settingsSent) {
      tool_.sendSettings();
      view_.clearLog();
      adapter_->clearRecords();
      tap_->restart();
    }
  }
};

class IteSettingsBench final : public IteBench {
 public:
  explicit IteSettingsBench(const BenchConfig& config) : IteBench(config, false) {}
  OpKind kind() const override { return OpKind::kCheck; }
  void run() override { reported_ = tool_.sendSettings(); }
  // The exchange sends no outcome signal, and its INIT# assignment goes out as 'I','N'.
  bool outcomeBytesMeaningful() const override { return false; }
  FailureEnd failureEnd() const override { return FailureEnd::kNothing; }
  std::optional<bool> dataIntact() const override {
    const auto held = board_->assignments();
    for (std::size_t i = 0; i < held.size(); ++i) {
      if (held[i] != kWiring[i]) return false;
    }
    return true;
  }

 protected:
  std::vector<std::string> successLines() const override { return {text::kSettingsSent}; }
  void armBadStatus() override { armBoard({.settingsRefused = true}); }
};

class IteCheckBench final : public IteBench {
 public:
  explicit IteCheckBench(const BenchConfig& config) : IteBench(config, true) {}
  OpKind kind() const override { return OpKind::kCheck; }
  void run() override { reported_ = tool_.checkConnection(); }

 protected:
  std::vector<std::string> successLines() const override { return {}; }
  void armBadStatus() override { armBoard({.selectFailsAt = 1}); }
};

class IteReadBench final : public IteBench {
 public:
  IteReadBench(const BenchConfig& config, Reads reads) : IteBench(config, true) {
    board_->setFlash(randomImage(kFlashSize));
    if (reads == Reads::kTwice) useDoubleRead(text::kDoubleRead);
  }
  OpKind kind() const override { return OpKind::kRead; }
  bool applies(Fault fault) const override {
    return fault != Fault::kBadImage && fault != Fault::kBackupFails && !isCellFault(fault);
  }
  void run() override {
    view_.answerNextDialog(imagePath());
    if (!readsTwice()) return stream(tool_.startRead());
    DoubleRead reads = iteDoubleRead(tool_, view_);
    reported_ = runDoubleRead(reads);
  }
  std::optional<bool> dataIntact() const override { return fileMatches(board_->flash()); }

 protected:
  std::vector<std::string> successLines() const override { return {text::kReadDone}; }
  void armBadStatus() override { armBoard({.badPageStatusAt = 256}); }
};

// Whether the write bench runs the safety net's steps around the documented sequence.
enum class Steps { kOn, kOff };

class IteWriteBench final : public IteBench {
 public:
  IteWriteBench(const BenchConfig& config, Steps steps) : IteBench(config, true) {
    if (steps == Steps::kOn) useSafetyNet(text::kSafety);
    // A file shorter or longer than the flash, or all blank, is what the technician means
    // to write.
    view_.answerQuestionsWith(true);
    board_->setFlash(randomImage(kFlashSize));
    Bytes image(kFlashSize, 0xFF);
    if (!config.varied) {
      const Bytes run = randomImage(kProgrammedBytes, true);
      std::copy(run.begin(), run.end(), image.begin());
    } else {
      // One run in each quarter of the flash, so runs never touch.
      for (int r = 0; r < kVariedRuns; ++r) {
        std::uint32_t start = 0;
        do {
          start = r * (kFlashSize / kVariedRuns) + random() % (kFlashSize / kVariedRuns - 512);
        } while (!addressSendable(start));
        const Bytes run = randomImage(16 + random() % 241, true);
        std::copy(run.begin(), run.end(), image.begin() + start);
      }
    }
    Bytes file = image;
    file.resize(fileLength(kFlashSize), 0x00);
    writeScratch(imagePath(), file);
    expected_ = padded(file, kFlashSize);
    programmed_ = static_cast<int>(std::count_if(expected_.begin(), expected_.end(),
                                                 [](std::uint8_t b) { return b != 0xFF; }));
  }
  OpKind kind() const override { return OpKind::kWrite; }
  // With the steps off nothing reads the flash back after the write.
  bool applies(Fault fault) const override {
    if (isCellFault(fault) && !usesSafetyNet()) return false;
    return fault == Fault::kNoFile || fault == Fault::kBadImage || Bench::applies(fault);
  }
  void run() override {
    view_.answerNextDialog(imagePath());
    reported_ = runSafeOps([this](const SafetyOptions& o) { return safe_.chain(o); },
                           [this] { return safe_.succeeded(); });
  }
  std::optional<bool> dataIntact() const override { return board_->flash() == expected_; }

 protected:
  std::vector<std::string> successLines() const override { return {text::kWriteDone}; }
  std::optional<Bytes> chipMemory() const override { return board_->flash(); }
  // A flash byte in the middle refused; with nothing to program, the first write of the
  // flash-mode entry.
  void armBadStatus() override {
    if (programmed_ > 0) {
      armBoard({.flashByteRefusedAt = programmed_ / 2 + 1});
    } else {
      armBoard({.writeFails = std::make_pair(std::uint8_t{0x27}, std::uint8_t{0x01})});
    }
  }
  void armChip(const InjectedFault& fault) override {
    board_->setChipFaults(cellFault(fault.kind, expected_));
  }
  void clearChipFaults() override { board_->setChipFaults({}); }

 private:
  SafeChange safe_ = iteSafeWrite(tool_, view_);
  Bytes expected_;
  int programmed_ = 0;
};

}  // namespace

std::unique_ptr<Bench> makeIteSettings(const BenchConfig& config) {
  return std::make_unique<IteSettingsBench>(config);
}
std::unique_ptr<Bench> makeIteCheck(const BenchConfig& config) {
  return std::make_unique<IteCheckBench>(config);
}
std::unique_ptr<Bench> makeIteRead(const BenchConfig& config) {
  return std::make_unique<IteReadBench>(config, Reads::kTwice);
}
std::unique_ptr<Bench> makeIteSingleRead(const BenchConfig& config) {
  return std::make_unique<IteReadBench>(config, Reads::kOnce);
}
std::unique_ptr<Bench> makeIteWrite(const BenchConfig& config) {
  return std::make_unique<IteWriteBench>(config, Steps::kOn);
}
std::unique_ptr<Bench> makeIteWriteStepsOff(const BenchConfig& config) {
  return std::make_unique<IteWriteBench>(config, Steps::kOff);
}

}  // namespace tarvex::reliability
