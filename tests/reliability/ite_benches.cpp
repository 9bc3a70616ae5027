// The ITE settings exchange, connection check, read and write against an emulated IT85xx
// board. Check, read and write find the settings already in the adapter, as after a
// "Send settings" that went well.

#include <algorithm>
#include <thread>

#include "emulator/ite/it85_board.h"
#include "tests/reliability/bench_views.h"
#include "tests/reliability/operations.h"
#include "tools/ite/ite_messages.h"
#include "tools/ite/ite_tool.h"

namespace tarvex::reliability {
namespace {

namespace text = ite_text;
constexpr std::size_t kFlashSize = IteTool::kFlashSize;
// The image a write programs: a run of non-blank bytes at the start of an erased flash, so
// every flash address the tool sends is 00 00 00 and no request byte is 'I' or 'O'.
constexpr std::size_t kProgrammedBytes = 1024;

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
  std::vector<std::string> errorBoxes() const override { return view_.errorBoxes(); }
  std::optional<std::string> modeWord() const override { return tool_.mode().get(); }
  std::optional<bool> buttonsEnabled() const override { return view_.allButtonsEnabled(); }

 protected:
  std::vector<std::string> failurePrefixes() const override {
    return {text::kSettingsRefused, text::kSettingsProtocol, text::kNoChipEnglish,
            text::kNoChipRussian,   text::kReadCreateFailed, text::kReadFileWriteFailed,
            text::kBadBlock,        text::kWriteOpenFailed,  text::kWriteFileReadFailed,
            text::kAddressRefused,  text::kByteRefused};
  }
  std::vector<std::uint8_t> wrongTag() const override { return emu::tags::v41(); }
  std::size_t diskRoom() const override { return kFlashSize / 2; }

  void armBoard(const emu::It85Board::Faults& faults) { board_->setFaults(faults); }
  void stream(bool started) {
    if (!started) return;
    std::thread worker([this] { tool_.runWorker(); });
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
  void run() override { tool_.sendSettings(); }
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
  void run() override { tool_.checkConnection(); }

 protected:
  std::vector<std::string> successLines() const override { return {}; }
  void armBadStatus() override { armBoard({.selectFailsAt = 1}); }
};

class IteReadBench final : public IteBench {
 public:
  explicit IteReadBench(const BenchConfig& config) : IteBench(config, true) {
    board_->setFlash(randomImage(kFlashSize));
  }
  OpKind kind() const override { return OpKind::kRead; }
  bool applies(Fault) const override { return true; }
  void run() override {
    view_.answerNextDialog(imagePath());
    stream(tool_.startRead());
  }
  std::optional<bool> dataIntact() const override { return fileMatches(board_->flash()); }

 protected:
  std::vector<std::string> successLines() const override { return {text::kReadDone}; }
  void armBadStatus() override { armBoard({.badPageStatusAt = 256}); }
};

class IteWriteBench final : public IteBench {
 public:
  explicit IteWriteBench(const BenchConfig& config) : IteBench(config, true) {
    board_->setFlash(randomImage(kFlashSize));
    image_.assign(kFlashSize, 0xFF);
    const Bytes programmed = randomImage(kProgrammedBytes, true);
    std::copy(programmed.begin(), programmed.end(), image_.begin());
    writeScratch(imagePath(), image_);
  }
  OpKind kind() const override { return OpKind::kWrite; }
  bool applies(Fault fault) const override {
    return fault == Fault::kNoFile || Bench::applies(fault);
  }
  void run() override {
    view_.answerNextDialog(imagePath());
    stream(tool_.startWrite());
  }
  std::optional<bool> dataIntact() const override { return board_->flash() == image_; }

 protected:
  std::vector<std::string> successLines() const override { return {text::kWriteDone}; }
  void armBadStatus() override {
    armBoard({.flashByteRefusedAt = static_cast<int>(kProgrammedBytes / 2)});
  }

 private:
  Bytes image_;
};

}  // namespace

std::unique_ptr<Bench> makeIteSettings(const BenchConfig& config) {
  return std::make_unique<IteSettingsBench>(config);
}
std::unique_ptr<Bench> makeIteCheck(const BenchConfig& config) {
  return std::make_unique<IteCheckBench>(config);
}
std::unique_ptr<Bench> makeIteRead(const BenchConfig& config) {
  return std::make_unique<IteReadBench>(config);
}
std::unique_ptr<Bench> makeIteWrite(const BenchConfig& config) {
  return std::make_unique<IteWriteBench>(config);
}

}  // namespace tarvex::reliability
