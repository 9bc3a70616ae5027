// The EDID read and write against a panel EEPROM whose replies come in random pieces. The
// read runs as the window runs it (twice, compared) and, in its single row, as --single-read
// runs it.

#include <algorithm>

#include "emulator/eeprom/panel_eeprom.h"
#include "tests/reliability/operations.h"
#include "tests/support/recording_view.h"
#include "tools/edid/edid_double_read.h"
#include "tools/edid/edid_messages.h"
#include "tools/edid/edid_safe_ops.h"
#include "tools/edid/edid_tool.h"

namespace tarvex::reliability {
namespace {

namespace msg = edid::msg;
using namespace std::chrono_literals;

emu::PanelEeprom::Contents toContents(const Bytes& bytes) {
  emu::PanelEeprom::Contents contents{};
  std::copy_n(bytes.begin(), contents.size(), contents.begin());
  return contents;
}

class EdidBench : public Bench {
 protected:
  explicit EdidBench(const BenchConfig& config, std::shared_ptr<emu::PanelEeprom> eeprom)
      : Bench(config, emu::tags::v41(), eeprom),
        eeprom_(std::move(eeprom)),
        tool_(bus_, view_,
              {.readReply = config.bound, .writeAck = config.bound, .writeStatus = config.bound}) {
    eeprom_->setTiming({.pieceMin = 1, .pieceMax = 64, .gapMax = 200us, .writeTime = 500us});
    eeprom_->setSeed(config.seed);
    setImage(scratch("panel.bin"));
  }

 public:
  std::vector<std::string> lines() const override { return view_.lines(); }
  std::vector<std::string> errorBoxes() const override { return boxesSince(view_); }
  void clearView() override { forgetView(view_); }

 protected:
  std::vector<std::string> failurePrefixes() const override {
    return {msg::kReadNoAnswer,
            msg::kWriteError,
            msg::kLinkLost,
            msg::kNoWriteAck,
            msg::kNoWriteStatus,
            msg::kFileNotSaved,
            msg::kFileNotRead,
            "The programmer stopped answering: ",
            "Unknown answer from the programmer: "};
  }
  void clearBadStatus() override {
    eeprom_->setPanelPresent(true);
    eeprom_->setWriteProtected(false);
  }
  Bytes eepromBytes() const {
    const auto c = eeprom_->contents();
    return Bytes(c.begin(), c.end());
  }

  std::shared_ptr<emu::PanelEeprom> eeprom_;
  test::RecordingView view_;
  edid::EdidTool tool_;
};

class EdidReadBench final : public EdidBench {
 public:
  EdidReadBench(const BenchConfig& config, Reads reads)
      : EdidBench(config, std::make_shared<emu::PanelEeprom>()) {
    eeprom_->setContents(toContents(randomImage(256)));
    if (reads == Reads::kTwice) useDoubleRead(msg::kDoubleRead);
  }
  OpKind kind() const override { return OpKind::kRead; }
  bool applies(Fault fault) const override {
    return fault != Fault::kBadImage && fault != Fault::kBackupFails && !isCellFault(fault);
  }
  void run() override {
    view_.answerNextDialog(imagePath());
    if (!readsTwice()) {
      reported_ = tool_.read();
      return;
    }
    DoubleRead reads = edid::edidDoubleRead(tool_, view_);
    reported_ = runDoubleRead(reads);
  }
  // The single read ends at the adapter ('I', link closed) before the save dialog: it
  // succeeded when it was read and then stored. Two reads tell it by their match.
  bool claimedSuccess() const override {
    if (readsTwice()) return Bench::claimedSuccess();
    return hasLine(msg::kReadDone) && errorBoxes().empty() && !hasLine(msg::kFileNotSaved);
  }
  bool adapterSucceedsBeforeFile() const override {
    return fault().kind == Fault::kNoFile || fault().kind == Fault::kDiskFull ||
           fault().kind == Fault::kFlushFails;
  }
  std::optional<bool> dataIntact() const override { return fileMatches(eepromBytes()); }

 protected:
  std::vector<std::string> successLines() const override { return {msg::kReadDone}; }
  void armBadStatus() override { eeprom_->setPanelPresent(false); }
};

enum class Steps { kOn, kOff };

class EdidWriteBench final : public EdidBench {
 public:
  EdidWriteBench(const BenchConfig& config, Steps steps)
      : EdidBench(config, std::make_shared<emu::PanelEeprom>()) {
    if (steps == Steps::kOn) useSafetyNet(msg::kSafety);
    // The random image has no EDID header or checksum, and may be short: the technician
    // means to write it as it is.
    view_.answerQuestionsWith(true);
    view_.answerThreeWayWith(Answer::kYes);
    eeprom_->setContents(toContents(randomImage(256)));
    const Bytes file = randomImage(fileLength(256));
    writeScratch(imagePath(), file);
    expected_ = padded(file, 256);
  }
  OpKind kind() const override { return OpKind::kWrite; }
  // With the steps off nothing reads the EEPROM back after the write.
  bool applies(Fault fault) const override {
    if (isCellFault(fault) && !usesSafetyNet()) return false;
    return fault == Fault::kNoFile || fault == Fault::kBadImage || Bench::applies(fault);
  }
  void run() override {
    view_.answerNextDialog(imagePath());
    reported_ = runSafeOps([this](const SafetyOptions& o) { return safe_.write(o, false); },
                           [this] { return safe_.succeeded(); });
  }
  std::optional<bool> dataIntact() const override { return eepromBytes() == expected_; }
  // A file that cannot be opened ends the write with the link closed and no signal, as a
  // cancelled dialog does.
  FailureEnd failureEnd() const override {
    return fault().kind == Fault::kNoFile || fault().kind == Fault::kBadImage
               ? FailureEnd::kNothing
               : FailureEnd::kOutcome;
  }

 protected:
  std::vector<std::string> successLines() const override { return {msg::kWriteDone}; }
  std::optional<Bytes> chipMemory() const override { return eepromBytes(); }
  void armBadStatus() override { eeprom_->setWriteProtected(true); }
  void armChip(const InjectedFault& fault) override {
    eeprom_->setChipFaults(cellFault(fault.kind, expected_));
  }
  void clearChipFaults() override { eeprom_->setChipFaults({}); }

 private:
  edid::EdidSafeOps safe_{tool_, view_};
  Bytes expected_;
};

}  // namespace

std::unique_ptr<Bench> makeEdidRead(const BenchConfig& config) {
  return std::make_unique<EdidReadBench>(config, Reads::kTwice);
}
std::unique_ptr<Bench> makeEdidSingleRead(const BenchConfig& config) {
  return std::make_unique<EdidReadBench>(config, Reads::kOnce);
}

std::unique_ptr<Bench> makeEdidWrite(const BenchConfig& config) {
  return std::make_unique<EdidWriteBench>(config, Steps::kOn);
}

std::unique_ptr<Bench> makeEdidWriteStepsOff(const BenchConfig& config) {
  return std::make_unique<EdidWriteBench>(config, Steps::kOff);
}

}  // namespace tarvex::reliability
