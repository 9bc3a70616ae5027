// Reading the MAIN flash block, and on request the INFO block after it, into an image file:
// the start on the user-interface thread, the block streams on the worker.

#include "frame/gauge_math.h"
#include "base/printable.h"
#include "frame/time_stamp.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "tools/mec16/mec16_commands.h"
#include "tools/mec16/mec16_messages.h"
#include "tools/mec16/mec16_registers.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex::mec16 {

namespace {

constexpr int kReadGaugeMaximum = 192;

// 'R' and the six address digits of the stream's first block.
bool sendReadStart(LinkState& link, std::uint32_t address) {
  link.buffer[0] = kReadStream;
  putHex(&link.buffer[1], address, 6);
  return sendFromBuffer(link, 0, 7);
}

}  // namespace

FileDialogSpec Mec16Tool::readDialog() {
  return {FileDialogSpec::Kind::kSave, dialog_text::kSaveTitle, text::kSaveFilter, "Noname",
          "bin"};
}

bool Mec16Tool::startRead(bool withInfo) { return beginRead(withInfo, nullptr, nullptr); }

bool Mec16Tool::startReadInto(MemoryImage& memory, bool withInfo, const char* purpose) {
  return beginRead(withInfo, &memory, purpose);
}

bool Mec16Tool::beginRead(bool withInfo, MemoryImage* memory, const char* purpose) {
  if (!mode_.idle()) return false;
  fault_ = false;
  succeeded_ = false;
  stop_ = false;
  mode_.set(mode::kReadMain);
  view_.setGaugeColor(0, colors::kLime);
  view_.setGaugeProgress(0, 0);
  view_.setGaugeMaximum(0, kReadGaugeMaximum);
  if (!openLink()) {
    mode_.set(kModeNone);
    return false;
  }

  if (memory) {
    memory->clear();
    sink_ = memory;
    view_.logLine(timeStampLine(kStampRussian));
    view_.logLine(purpose);
  } else {
    const auto chosen = view_.chooseFile(readDialog());
    if (!chosen) return abandonStart(text::kReadCancelled);
    fileName_ = *chosen;
    if (!saved_.begin(fileName_)) return abandonStart(text::kCreateFailed);
    sink_ = &saved_;
    view_.logLine(timeStampLine(kStampRussian));
    view_.logLine(text::kReadingInto);
    view_.logLine(printable(fileName_));
  }
  blocks_ = withInfo ? Blocks::kMainAndInfo : Blocks::kMainOnly;
  view_.logLine(withInfo ? text::kReadMainAndInfo : text::kReadMainOnly);
  view_.logLine(text::kReadStarted);

  if (!MecReadId(link_, view_, bounds_.shortReply)) fault_ = true;
  if (idAllOnes()) {
    view_.logLine(text::kBadId);
    failedStart();
    return false;
  }
  if (!writeLogged(kRegAccess, kAccessOn, text::kWroteAccessOn, text::lost::kR100) ||
      !writeLogged(kRegFlashMode, kModeRead, text::kWroteModeRead, text::lost::kR101)) {
    failedStart();
    return false;
  }
  blockCounter_ = 1;
  fileWriteFailed_ = false;
  sendReadStart(link_, kMainAddress);
  return true;
}

void Mec16Tool::endReadFailed(const char* line) {
  view_.logLine(line);
  signalOutcome(false);
  send(kRelease);
  closingSequence();
}

bool Mec16Tool::stepReadMain() {
  // A block that does not come within the bound is a lost link, like a bad block.
  if (waitForBytes(link_, kReadBlockBytes, bounds_.streamBlock) != WaitResult::kReady ||
      !readIntoBuffer(link_, 0, kReadBlockBytes)) {
    send(kEndStream);
    endReadFailed(text::lost::kP103);
    return true;
  }
  if (const Leftover left = leftoverAfter(link_, kReadBlockBytes); left != Leftover::kNone) {
    send(kEndStream);
    endReadFailed(left == Leftover::kStray ? text::kStrayBytes : text::lost::kP103);
    return true;
  }
  if (!sink_->write(link_.buffer.data(), kReadBlockData)) fileWriteFailed_ = true;
  view_.setGaugeProgress(0, gaugeStep(kReadGaugeMaximum, kMainReadBlocks, blockCounter_));

  if (stop_) {
    send(kEndStream);
    view_.logLine(text::kUserStop);
    releaseSequence(text::lost::kP100, text::lost::kP101, text::lost::kP102);
    send(kRelease);
    signalOutcome(false);
    closingSequence();
    return true;
  }
  if (fileWriteFailed_) {
    send(kEndStream);
    endReadFailed(text::kFileWriteFailed);
    return true;
  }
  if (link_.buffer[kReadBlockData] != kBlockGood) {
    send(kEndStream);
    endReadFailed(text::lost::kP103);
    return true;
  }
  if (blockCounter_ != kMainReadBlocks) {
    send(kNextBlock);
    ++blockCounter_;
    return false;
  }

  send(kEndStream);
  if (blocks_ == Blocks::kMainOnly) {
    // The image is flushed and under its name before success is claimed for it.
    if (!sink_->commit()) {
      endReadFailed(text::kFileWriteFailed);
      return true;
    }
    view_.logLine(text::kMainReadDone);
    releaseSequence(text::lost::kP104, text::lost::kP105, text::lost::kP106);
    signalOutcome(true);
    send(kRelease);
    closingSequence();
    return true;
  }
  view_.logLine(text::kMainReadDone);
  mode_.set(mode::kReadInfo);
  blockCounter_ = 1;
  writeLogged(kRegFlashMode, kModeIdle, text::kWroteModeIdle, text::lost::kP107);
  view_.logLine(text::kInfoReadStarting);
  writeLogged(kRegFlashMode, kModeRead, text::kWroteModeRead, text::lost::kP108);
  sendReadStart(link_, kInfoAddress);
  return false;
}

bool Mec16Tool::stepReadInfo() {
  if (waitForBytes(link_, kReadBlockBytes, bounds_.streamBlock) != WaitResult::kReady ||
      !readIntoBuffer(link_, 0, kReadBlockBytes)) {
    send(kEndStream);
    endReadFailed(text::lost::kP109);
    return true;
  }
  if (const Leftover left = leftoverAfter(link_, kReadBlockBytes); left != Leftover::kNone) {
    send(kEndStream);
    endReadFailed(left == Leftover::kStray ? text::kStrayBytes : text::lost::kP109);
    return true;
  }
  if (!sink_->write(link_.buffer.data(), kReadBlockData)) fileWriteFailed_ = true;
  if (fileWriteFailed_) {
    send(kEndStream);
    endReadFailed(text::kFileWriteFailed);
    return true;
  }
  if (link_.buffer[kReadBlockData] != kBlockGood) {
    send(kEndStream);
    endReadFailed(text::lost::kP109);
    return true;
  }
  if (blockCounter_ != kInfoReadBlocks) {
    send(kNextBlock);
    ++blockCounter_;
    return false;
  }
  send(kEndStream);
  if (!sink_->commit()) {
    endReadFailed(text::kFileWriteFailed);
    return true;
  }
  view_.logLine(text::kInfoReadDone);
  releaseSequence(text::lost::kP110, text::lost::kP111, text::lost::kP112);
  signalOutcome(true);
  send(kRelease);
  closingSequence();
  return true;
}

}  // namespace tarvex::mec16
