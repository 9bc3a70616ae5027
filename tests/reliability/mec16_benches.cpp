// The MEC16 connection check, read (MAIN block), erase and write against an emulated
// MEC1609 behind the JTAG firmware. Erase and write run as the window runs them, through
// the safe ops (backup read, the documented sequence, read-back or blank check); their
// "steps off" benches run the documented sequence alone, as --no-backup --no-verify
// --force does, so the adapter's faults still meet it in every place.

#include <algorithm>
#include <thread>

#include "emulator/mec16/mec1609.h"
#include "tests/reliability/bench_views.h"
#include "tests/reliability/operations.h"
#include "tools/mec16/mec16_double_read.h"
#include "tools/mec16/mec16_messages.h"
#include "tools/mec16/mec16_safe_ops.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex::reliability {
namespace {

namespace text = mec16::text;
constexpr std::size_t kMainSize = emu::mec1609::kMainSize;

class Mec16Bench : public Bench {
 public:
  explicit Mec16Bench(const BenchConfig& config)
      : Mec16Bench(config, std::make_shared<emu::Mec1609>()) {}

  std::vector<std::string> lines() const override { return view_.lines(); }
  std::vector<std::string> errorBoxes() const override { return boxesSince(view_); }
  void clearView() override { forgetView(view_); }
  std::optional<std::string> modeWord() const override { return tool_.modeWord().get(); }

 protected:
  // The tool reports every step; its verdict is the outcome signal.
  std::vector<std::string> successLines() const override { return {}; }
  std::vector<std::string> failurePrefixes() const override {
    return {"Потеряна связь с MEC16",
            text::kIdShort,
            text::kBadId,
            text::kFwpSet,
            text::kBootLockSet,
            text::kEraseRefused,
            text::kEraseNeverEnded,
            text::kWriteRefused,
            text::kCreateFailed,
            text::kOpenFailed,
            text::kFileWriteFailed,
            text::kFileReadFailed,
            text::kUserStop,
            text::kStrayBytes};
  }
  std::vector<std::uint8_t> wrongTag() const override { return emu::tags::v41(); }
  std::size_t diskRoom() const override { return kMainSize / 2; }
  void clearBadStatus() override {
    chip_->setFaults({});
    chip_->setStatusBits(0);
  }

  // A stream started by its button handler, then carried by the worker to its end.
  void stream(bool started) {
    reported_ = false;
    if (!started) return;
    std::thread worker([this] { reported_ = tool_.runWorker(); });
    worker.join();
  }

  std::shared_ptr<emu::Mec1609> chip_;
  Mec16BenchView view_;
  mec16::Mec16Tool tool_;
  mec16::Mec16SafeOps safe_{tool_, view_};

 private:
  Mec16Bench(const BenchConfig& config, std::shared_ptr<emu::Mec1609> chip)
      : Bench(config, emu::tags::v42(), chip),
        chip_(std::move(chip)),
        tool_(bus_, view_, {config.bound, config.bound, config.bound}) {
    chip_->setMain(randomImage(kMainSize));
    setImage(scratch("mec16.bin"));
  }
};

class Mec16CheckBench final : public Mec16Bench {
 public:
  using Mec16Bench::Mec16Bench;
  OpKind kind() const override { return OpKind::kCheck; }
  void run() override { reported_ = tool_.connectionCheck(); }

 protected:
  void armBadStatus() override { chip_->setStatusBits(emu::mec1609::kStatusFwp); }
};

class Mec16ReadBench final : public Mec16Bench {
 public:
  Mec16ReadBench(const BenchConfig& config, bool withInfo, Reads reads)
      : Mec16Bench(config), withInfo_(withInfo) {
    chip_->fillInfo(static_cast<std::uint8_t>(random()));
    if (reads == Reads::kTwice) useDoubleRead(text::kDoubleRead);
  }
  OpKind kind() const override { return OpKind::kRead; }
  bool applies(Fault fault) const override {
    return fault != Fault::kBadImage && fault != Fault::kBackupFails && !isCellFault(fault);
  }
  void run() override {
    view_.answerNextDialog(imagePath());
    if (!readsTwice()) return stream(tool_.startRead(withInfo_));
    DoubleRead reads = mec16::mec16DoubleRead(tool_, view_, withInfo_);
    reported_ = runDoubleRead(reads);
  }
  std::optional<bool> dataIntact() const override {
    Bytes memory = chip_->mainFlash();
    if (withInfo_) {
      const Bytes info = chip_->infoFlash();
      memory.insert(memory.end(), info.begin(), info.end());
    }
    return fileMatches(memory);
  }

 protected:
  std::vector<std::string> successLines() const override {
    return {withInfo_ ? text::kInfoReadDone : text::kMainReadDone};
  }
  void armBadStatus() override { chip_->setFaults({.badBlock = std::make_pair(0u, 96)}); }

 private:
  bool withInfo_;
};

// Whether an erase or write bench runs the safety net's steps around the operation.
enum class Steps { kOn, kOff };

class Mec16EraseBench final : public Mec16Bench {
 public:
  Mec16EraseBench(const BenchConfig& config, Steps steps) : Mec16Bench(config) {
    if (steps == Steps::kOn) useSafetyNet(text::kSafety);
  }
  OpKind kind() const override { return OpKind::kErase; }
  // With the steps off nothing reads the chip after the erase.
  bool applies(Fault fault) const override {
    return (usesSafetyNet() || !isCellFault(fault)) && Bench::applies(fault);
  }
  void run() override {
    reported_ = runSafeOps([this](const SafetyOptions& o) { return safe_.erase(o, false); },
                           [this] { return safe_.succeeded(); });
  }
  std::optional<bool> dataIntact() const override {
    const Bytes flash = chip_->mainFlash();
    return std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == 0xFF; });
  }
  // A register access lost once the erase has begun ends it with the target released and
  // no outcome signal: the adapter sees only '0'.
  FailureEnd failureEnd() const override {
    for (const char* code :
         {text::lost::kE101, text::lost::kE102, text::lost::kE103, text::lost::kE104,
          text::lost::kE105, text::lost::kE106, text::lost::kE107}) {
      if (hasLine(code)) return FailureEnd::kNothing;
    }
    return FailureEnd::kOutcome;
  }

 protected:
  std::optional<Bytes> chipMemory() const override { return chip_->mainFlash(); }
  void armBadStatus() override { chip_->setStatusBits(emu::mec1609::kStatusBootLock); }
  void armChip(const InjectedFault& fault) override {
    chip_->setChipFaults(cellFault(fault.kind, Bytes(kMainSize, 0xFF)));
  }
  void clearChipFaults() override { chip_->setChipFaults({}); }
};

class Mec16WriteBench final : public Mec16Bench {
 public:
  Mec16WriteBench(const BenchConfig& config, Steps steps) : Mec16Bench(config) {
    if (steps == Steps::kOn) useSafetyNet(text::kSafety);
    // Odd file lengths are what the technician means to write; a chip not erased is
    // written over on some seeds (the read-back must catch it) and refused on others.
    view_.answerQuestionsWith(true);
    view_.refuseQuestionsStartingWith(text::kMainNotBlank, config.seed % 2 == 1);
    chip_->fillMain(0xFF);  // writing needs an erased flash
    const Bytes file = randomImage(fileLength(kMainSize));
    writeScratch(imagePath(), file);
    expected_ = padded(file, kMainSize);
    fileBlocks_ = static_cast<int>(std::min(file.size(), kMainSize) / 256);
  }
  OpKind kind() const override { return OpKind::kWrite; }
  bool applies(Fault fault) const override {
    if (isCellFault(fault) && !usesSafetyNet()) return false;
    return fault == Fault::kNoFile || fault == Fault::kBadImage || fault == Fault::kNotErased ||
           Bench::applies(fault);
  }
  void run() override {
    view_.answerNextDialog(imagePath());
    reported_ = runSafeOps([this](const SafetyOptions& o) { return safe_.write(o, false); },
                           [this] { return safe_.succeeded(); });
  }
  std::optional<bool> dataIntact() const override { return chip_->mainFlash() == expected_; }

 protected:
  std::vector<std::string> successLines() const override { return {text::kWriteDone}; }
  std::vector<std::string> failurePrefixes() const override {
    auto prefixes = Mec16Bench::failurePrefixes();
    prefixes.push_back(text::kMainNotBlank);
    return prefixes;
  }
  std::optional<Bytes> chipMemory() const override { return chip_->mainFlash(); }
  // A block in the middle of the file acknowledged with a wrong byte.
  void armBadStatus() override {
    chip_->setFaults({.badAckAtBlock = std::max(1, fileBlocks_ / 2), .ackByte = 'x'});
  }
  // The write does not erase: a partial erase is one that came before it, and left a
  // stretch of the old firmware; not erased, the whole old firmware is still there.
  void armChip(const InjectedFault& fault) override {
    if (fault.kind == Fault::kNotErased) {
      chip_->setMain(randomImage(kMainSize));
    } else if (fault.kind == Fault::kPartialErase) {
      const auto stretch = *cellFault(fault.kind, expected_).unerased;
      Bytes main(kMainSize, 0xFF);
      const Bytes old = randomImage(stretch.length, true);
      std::copy(old.begin(), old.end(), main.begin() + stretch.start);
      chip_->setMain(main);
    } else {
      chip_->setChipFaults(cellFault(fault.kind, expected_));
    }
  }
  // The next write starts from an erased flash again, as after the erase a technician
  // runs before it.
  void clearChipFaults() override {
    chip_->setChipFaults({});
    chip_->fillMain(0xFF);
  }

 private:
  Bytes expected_;
  int fileBlocks_ = 0;
};

}  // namespace

std::unique_ptr<Bench> makeMec16Check(const BenchConfig& config) {
  return std::make_unique<Mec16CheckBench>(config);
}
std::unique_ptr<Bench> makeMec16Read(const BenchConfig& config) {
  return std::make_unique<Mec16ReadBench>(config, false, Reads::kTwice);
}
std::unique_ptr<Bench> makeMec16ReadWithInfo(const BenchConfig& config) {
  return std::make_unique<Mec16ReadBench>(config, true, Reads::kTwice);
}
std::unique_ptr<Bench> makeMec16SingleRead(const BenchConfig& config) {
  return std::make_unique<Mec16ReadBench>(config, false, Reads::kOnce);
}
std::unique_ptr<Bench> makeMec16Erase(const BenchConfig& config) {
  return std::make_unique<Mec16EraseBench>(config, Steps::kOn);
}
std::unique_ptr<Bench> makeMec16Write(const BenchConfig& config) {
  return std::make_unique<Mec16WriteBench>(config, Steps::kOn);
}
std::unique_ptr<Bench> makeMec16EraseStepsOff(const BenchConfig& config) {
  return std::make_unique<Mec16EraseBench>(config, Steps::kOff);
}
std::unique_ptr<Bench> makeMec16WriteStepsOff(const BenchConfig& config) {
  return std::make_unique<Mec16WriteBench>(config, Steps::kOff);
}

}  // namespace tarvex::reliability
