// The KB90xx read and write (with its verification) against an emulated controller. The
// write runs as the window runs it, through its safe chain (backup read, then the documented
// write, which the adapter verifies by sum and CRC); its "steps off" bench runs the
// documented sequence alone, as --no-backup --force does.

#include <algorithm>
#include <thread>

#include "emulator/kb90/kb90_controller.h"
#include "tests/reliability/bench_views.h"
#include "tests/reliability/operations.h"
#include "tools/kb90/kb90_double_read.h"
#include "tools/kb90/kb90_messages.h"
#include "tools/kb90/kb90_safe_write.h"
#include "tools/kb90/kb90_tool.h"

namespace tarvex::reliability {
namespace {

namespace text = kb90::text;
constexpr std::size_t kFlashSize = emu::Kb90Controller::kFlashSize;
constexpr std::uint32_t kStuckCell = kFlashSize / 2 + 17;

class Kb90Bench : public Bench {
 protected:
  explicit Kb90Bench(const BenchConfig& config, std::shared_ptr<emu::Kb90Controller> chip)
      : Bench(config, emu::tags::v41(), chip),
        chip_(std::move(chip)),
        tool_(bus_, view_, view_,
              {.connectReply = config.bound,
               .block = config.bound,
               .checksumStep = config.bound,
               .checksumReply = config.bound,
               .workerHandOver = config.bound}) {
    chip_->setFlash(randomImage(kFlashSize));
    setImage(scratch("kb90.bin"));
  }

  // A click, then the worker on its own thread while the handler finishes, as the window
  // starts ReadThread_KB90.
  void clickRead() {
    view_.answerNextDialog(imagePath());
    reported_ = false;
    if (!tool_.readClick()) return;
    std::thread worker([this] { reported_ = tool_.runWorker(); });
    tool_.beginTransfer();
    worker.join();
  }

 public:
  std::vector<std::string> lines() const override { return view_.lines(); }
  std::vector<std::string> errorBoxes() const override { return boxesSince(view_); }
  void clearView() override { forgetView(view_); }
  std::optional<std::string> modeWord() const override { return tool_.mode().get(); }
  std::optional<bool> buttonsEnabled() const override { return view_.allButtonsEnabled(); }
  // A file that cannot be created or opened ends the click with the link closed and no
  // signal, as a cancelled dialog does.
  FailureEnd failureEnd() const override {
    return fault().kind == Fault::kNoFile || fault().kind == Fault::kBadImage
               ? FailureEnd::kNothing
               : FailureEnd::kOutcome;
  }

 protected:
  void clearBadStatus() override { chip_->setFaults({}); }
  std::size_t diskRoom() const override { return kFlashSize / 2; }
  std::vector<std::string> failurePrefixes() const override {
    return {text::kNoController,   text::kFileWriteFailed, text::kVerifyFailed,
            text::kFileReadFailed, text::kNoAnswerAtBlock, text::kNoAnswerVerify,
            text::kLinkLost,       text::kStrayAtBlock};
  }

  std::shared_ptr<emu::Kb90Controller> chip_;
  Kb90BenchView view_;
  kb90::Kb90Tool tool_;
};

class Kb90ReadBench final : public Kb90Bench {
 public:
  Kb90ReadBench(const BenchConfig& config, Reads reads)
      : Kb90Bench(config, std::make_shared<emu::Kb90Controller>(0x0C)) {
    if (reads == Reads::kTwice) useDoubleRead(text::kDoubleRead);
  }
  OpKind kind() const override { return OpKind::kRead; }
  bool applies(Fault fault) const override {
    return fault != Fault::kBadImage && fault != Fault::kBackupFails && !isCellFault(fault);
  }
  void run() override {
    if (!readsTwice()) return clickRead();
    view_.answerNextDialog(imagePath());
    DoubleRead reads = kb90::kb90DoubleRead(tool_, view_);
    reported_ = runDoubleRead(reads);
  }
  std::optional<bool> dataIntact() const override { return fileMatches(chip_->flash()); }

 protected:
  std::vector<std::string> successLines() const override { return {text::kReadDone}; }
  // No controller behind the adapter: 'V' is answered FFh.
  void armBadStatus() override { chip_->setFaults({.noController = true}); }
};

// Whether the write bench runs the safety net's steps around the documented sequence.
enum class Steps { kOn, kOff };

class Kb90WriteBench final : public Kb90Bench {
 public:
  Kb90WriteBench(const BenchConfig& config, Steps steps)
      : Kb90Bench(config, std::make_shared<emu::Kb90Controller>(0x0C)) {
    if (steps == Steps::kOn) useSafetyNet(text::kSafety);
    view_.answerQuestionsWith(true);  // a shorter or longer file is meant
    Bytes file = randomImage(fileLength(kFlashSize));
    if (file.size() > kStuckCell) file[kStuckCell] = 0x5A;  // the stuck cell must change
    writeScratch(imagePath(), file);
    verified_ = file.size() >= kFlashSize;
    expected_ = padded(file, kFlashSize);
    chip_->setFlash(Bytes(kFlashSize, 0x00));  // old firmware: an erase shows
  }
  OpKind kind() const override { return OpKind::kWrite; }
  bool applies(Fault fault) const override {
    return fault == Fault::kNoFile || fault == Fault::kBadImage || Bench::applies(fault);
  }
  // The adapter's sum and CRC guard a write of the whole flash, with the steps off too; a
  // shorter file is written without them.
  bool guards(Fault fault) const override { return verified_ && isCellFault(fault); }
  void run() override {
    view_.answerNextDialog(imagePath());
    reported_ = runSafeOps(
        [this](SafetyOptions o) {
          o.verify = false;  // as the window asks: the adapter verifies
          return safe_.chain(o);
        },
        [this] { return safe_.succeeded(); });
  }
  std::optional<bool> dataIntact() const override { return chip_->flash() == expected_; }
  // The verification's verdict; "Writing is completed successfully." before it only says
  // the blocks went out. A shorter file is written without one: its write session's 'I'
  // (a backup read's session before it ends with one too) is the only success signal.
  bool claimedSuccess() const override {
    if (hasLine(text::kVerifyOk)) return true;
    const auto opens = sentPerOpen();
    return hasLine(text::kShortFile) && !opens.empty() &&
           std::count(opens.back().begin(), opens.back().end(), std::uint8_t{'I'}) > 0;
  }

 protected:
  std::vector<std::string> successLines() const override { return {text::kVerifyOk}; }
  std::optional<Bytes> chipMemory() const override { return chip_->flash(); }
  // A flash cell that keeps its erased value: the verification must catch it. A shorter
  // file is written without a verification, so there the controller does not answer.
  void armBadStatus() override {
    chip_->setFaults(verified_ ? emu::Kb90Faults{.stuckCell = kStuckCell}
                               : emu::Kb90Faults{.noController = true});
  }
  void armChip(const InjectedFault& fault) override {
    chip_->setChipFaults(cellFault(fault.kind, expected_));
  }
  void clearChipFaults() override { chip_->setChipFaults({}); }

 private:
  bool verified_ = true;
  Bytes expected_;
  SafeChange safe_ = kb90::kb90SafeWrite(tool_, view_);
};

}  // namespace

std::unique_ptr<Bench> makeKb90Read(const BenchConfig& config) {
  return std::make_unique<Kb90ReadBench>(config, Reads::kTwice);
}
std::unique_ptr<Bench> makeKb90SingleRead(const BenchConfig& config) {
  return std::make_unique<Kb90ReadBench>(config, Reads::kOnce);
}

std::unique_ptr<Bench> makeKb90Write(const BenchConfig& config) {
  return std::make_unique<Kb90WriteBench>(config, Steps::kOn);
}
std::unique_ptr<Bench> makeKb90WriteStepsOff(const BenchConfig& config) {
  return std::make_unique<Kb90WriteBench>(config, Steps::kOff);
}

}  // namespace tarvex::reliability
