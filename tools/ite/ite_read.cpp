// Reading the controller's flash: the handler attaches, enters flash mode and opens a fast
// read at address 0; the worker fetches 512 pages of 256 bytes into the image file.

#include "frame/kept_partial_line.h"
#include "frame/time_stamp.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "tools/ite/ite_commands.h"
#include "tools/ite/ite_messages.h"
#include "tools/ite/ite_tool.h"

namespace tarvex {

bool IteTool::startRead() { return beginRead(nullptr, nullptr, IteButton::kRead); }

bool IteTool::startReadInto(MemoryImage& memory, const char* purpose, IteButton keepEnabled) {
  return beginRead(&memory, purpose, keepEnabled);
}

FileDialogSpec IteTool::readDialog() {
  return {FileDialogSpec::Kind::kSave, dialog_text::kSaveTitle, ite_text::kSaveFilter,
          ite_text::kSaveDefaultName, ite_text::kDefaultExtension};
}

bool IteTool::beginRead(MemoryImage* memory, const char* purpose, IteButton keepEnabled) {
  if (!mode_.idle()) return false;
  mode_.set(kModeReadIte);
  // The button of the operation under way stays enabled; a second press finds the mode word
  // busy: "R E A D" for a read, "W R I T E" when the read is a step of a write.
  setButtons(false, keepEnabled);
  view_.logLine("");
  view_.setGaugeColor(kIteGauge, colors::kLime);
  view_.setGaugeProgress(kIteGauge, 0);

  if (OpenAdapterLink(bus_, link_params::kIte, link_, view_) != kLinkReady) {
    mode_.set(kModeNone);
    setAllButtons(true);
    return false;
  }
  if (memory) {
    memory->clear();
    sink_ = memory;
    view_.logLine(timeStampLine(kStampCurrentTime));
    view_.logLine(purpose);
  } else {
    const auto chosen = view_.chooseFile(readDialog());
    if (!chosen) {
      view_.logLine(ite_text::kReadCancelled);
      failStart();
      return false;
    }
    fileName_ = *chosen;
    if (!saved_.begin(fileName_)) {
      view_.logLine(ite_text::kReadCreateFailed);
      view_.showErrorBox(dialog_text::kCreateFailed);
      failStart();
      return false;
    }
    sink_ = &saved_;
    view_.logLine(timeStampLine(kStampCurrentTime));
  }
  view_.logLine(ite_text::kStartReading);
  if (!attach()) {
    logChipFailure(ite_text::kNoChipEnglish, "2F");
    failStart();
    return false;
  }
  view_.logLine(ite_text::kInitializing);
  if (!runCycles(ite_reg::kReadSetup, ite_text::kNoChipRussian)) {
    failStart();
    return false;
  }
  view_.logLine(ite_text::kInitialized);
  return true;
}

void IteTool::readStream() {
  view_.logLine(ite_text::kReading);
  bool success = true;
  for (int page = 0; page < kPages; ++page) {
    const bool received =
        sendByte(link_, ite_cmd::kPageRead) &&
        receive(link_, 0, ite_cmd::kPageReply, bounds_.page) == WaitResult::kReady;
    if (!received || link_.buffer[ite_cmd::kPageBytes] != ite_cmd::kDone) {
      view_.logLine(ite_text::kBadBlock + std::to_string(page + 1));
      success = false;
      break;
    }
    // Nothing is sent unasked: a byte beyond the page would shift the pages after it.
    if (const Leftover left = leftoverAfter(link_, ite_cmd::kPageReply); left != Leftover::kNone) {
      view_.logLine((left == Leftover::kStray ? ite_text::kStrayBlock : ite_text::kBadBlock) +
                    std::to_string(page + 1));
      success = false;
      break;
    }
    if (!sink_->write(link_.buffer.data(), ite_cmd::kPageBytes)) {
      view_.logLine(ite_text::kReadFileWriteFailed);
      success = false;
      break;
    }
    view_.setGaugeProgress(kIteGauge, page + 1);
  }
  // The image is only good once it is safely on the disk and under its name.
  if (success && !sink_->commit()) {
    view_.logLine(ite_text::kReadFileWriteFailed);
    success = false;
  }
  if (success) view_.logLine(ite_text::kReadDone);
  if (const auto kept = saved_.abandon()) {
    view_.logLine(keptPartialLine(ite_text::kPartialKept, *kept, " (", ite_text::kPartialBytes));
  }
  finishStream(success);
}

}  // namespace tarvex
