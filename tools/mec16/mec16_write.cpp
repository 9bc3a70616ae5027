// Programming an image file into the MAIN flash block: the start on the user-interface
// thread, the acknowledged 256-byte block stream on the worker.

#include <algorithm>
#include <utility>

#include "frame/file_load.h"
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

constexpr int kWriteGaugeMaximum = 768;

// Waits for one byte from the adapter (a block request or an acknowledgement) and leaves
// it at the start of the buffer.
bool receiveOne(LinkState& link, SteadyClock::duration bound) {
  link.queue.rx = 0;
  return receive(link, 0, 1, bound) == WaitResult::kReady;
}

}  // namespace

FileDialogSpec Mec16Tool::writeDialog() {
  return {FileDialogSpec::Kind::kOpen, dialog_text::kOpenTitle, text::kOpenFilter, "", "bin"};
}

bool Mec16Tool::startWrite(bool infoBoxChecked) { return beginWrite(infoBoxChecked, std::nullopt); }

bool Mec16Tool::startWriteImage(bool infoBoxChecked, const std::string& fileName,
                                std::vector<std::uint8_t> image) {
  if (!mode_.idle()) return false;
  fileName_ = fileName;
  return beginWrite(infoBoxChecked, std::move(image));
}

bool Mec16Tool::beginWrite(bool infoBoxChecked, std::optional<std::vector<std::uint8_t>> image) {
  if (!mode_.idle()) return false;
  fault_ = false;
  succeeded_ = false;
  stop_ = false;
  mode_.set(mode::kWriteMain);
  view_.setGaugeColor(0, colors::kRed);
  view_.setGaugeProgress(0, 0);
  view_.setGaugeMaximum(0, kWriteGaugeMaximum);
  if (!openLink()) {
    mode_.set(kModeNone);
    return false;
  }

  if (image) {
    source_ = ImageSource(std::move(*image));
  } else {
    const auto chosen = view_.chooseFile(writeDialog());
    if (!chosen) return abandonStart(text::kWriteCancelled);
    fileName_ = *chosen;
    // The whole image is read before anything goes to the controller: a file that cannot be
    // read stops the write here, with the flash as it was.
    LoadedFile loaded = loadFile(fileName_, kMainWriteBlocks * kWriteBlockBytes);
    if (loaded.status == LoadStatus::kReadFailed) return abandonStart(text::kFileReadFailed);
    if (loaded.status == LoadStatus::kNotRegularFile) view_.logLine(kNotRegularFileLine);
    if (!loaded.loaded()) return abandonStart(text::kOpenFailed);
    source_ = ImageSource(std::move(loaded.bytes));
  }
  sent_.clear();
  touched_ = false;
  view_.logLine(timeStampLine(kStampRussian));
  view_.logLine(text::kWritingFrom);
  view_.logLine(printable(fileName_));
  // Only the MAIN block can be written; the INFO box only shows in the log.
  view_.logLine(infoBoxChecked ? text::kWriteMainAndInfo : text::kWriteMainOnly);
  blocks_ = Blocks::kMainOnly;
  view_.logLine(text::kWriteStarted);

  MecReadId(link_, view_, bounds_.shortReply);
  if (idAllOnes()) {
    view_.logLine(text::kBadId);
    failedStart();
    return false;
  }
  const auto status = readStatus(nullptr, text::lost::kTW001);
  if (!status) {
    failedStart();
    return false;
  }
  fault_ = false;
  decodeProtection(status);
  if (fault_) {
    view_.logLine(text::kWriteRefused);
    failedStart();
    return false;
  }
  if (!writeLogged(kRegAccess, kAccessOn, text::kWroteAccessOn, text::lost::kW100) ||
      !writeLogged(kRegFlashMode, kModeProgram, text::kWroteModeProgram, text::lost::kW101) ||
      !writeLogged(kRegFlashAddress, kWriteStart, text::kWroteWriteStart, text::lost::kW101A)) {
    failedStart();
    return false;
  }
  blockCounter_ = 1;
  send(kWriteStream);
  return true;
}

void Mec16Tool::endWriteUnacknowledged() {
  view_.logLine(text::lost::kW103);
  send(kEndStream);
  signalOutcome(false);
  CloseAdapterLink(link_);
  view_.logLine(timeStampLine(kStampRussian));
  view_.logLine("");
  source_ = {};
  mode_.set(kModeNone);
}

bool Mec16Tool::finishWriteEarly() {
  view_.logLine(text::kWarning);
  view_.logLine(text::kFileShorter);
  touched_ = true;
  sendFromBuffer(link_, 0, kWriteBlockBytes);
  sent_.insert(sent_.end(), link_.buffer.begin(), link_.buffer.begin() + kWriteBlockBytes);
  const bool acknowledged =
      receiveOne(link_, bounds_.streamBlock) && link_.buffer[0] == kBlockProgrammed;
  if (!acknowledged) view_.logLine(text::lost::kW102);
  send(kEndStream);
  releaseSequence(text::lost::kW104, text::lost::kW105, text::lost::kW106);
  signalOutcome(acknowledged);
  CloseAdapterLink(link_);
  view_.logLine(timeStampLine(kStampRussian));
  view_.logLine("");
  source_ = {};
  mode_.set(kModeNone);
  return true;
}

bool Mec16Tool::stepWrite() {
  // The adapter asks for each block with one byte of its own.
  if (!receiveOne(link_, bounds_.streamBlock)) {
    endWriteUnacknowledged();
    return true;
  }
  std::uint8_t* block = link_.buffer.data();
  std::fill(block, block + kWriteBlockBytes, kErasedByte);
  if (source_.take(block, kWriteBlockBytes) < kWriteBlockBytes) return finishWriteEarly();

  touched_ = true;
  sendFromBuffer(link_, 0, kWriteBlockBytes);
  sent_.insert(sent_.end(), block, block + kWriteBlockBytes);
  view_.setGaugeProgress(0, gaugeStep(kWriteGaugeMaximum, kMainWriteBlocks, blockCounter_));
  if (!receiveOne(link_, bounds_.streamBlock) || link_.buffer[0] != kBlockProgrammed) {
    endWriteUnacknowledged();
    return true;
  }
  if (blockCounter_ == kMainWriteBlocks) {
    send(kEndStream);
    view_.logLine(text::kWriteDone);
    releaseSequence(text::lost::kW104, text::lost::kW105, text::lost::kW106);
    signalOutcome(true);
    send(kRelease);
    closingSequence();
    return true;
  }
  ++blockCounter_;
  send(kNextBlock);
  return false;
}

}  // namespace tarvex::mec16
