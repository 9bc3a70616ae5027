#include "tools/kb90/kb90_tool.h"

#include "frame/kept_partial_line.h"
#include "base/printable.h"
#include <utility>

#include "frame/time_stamp.h"
#include "link/adapter_link.h"
#include "tools/kb90/kb90_commands.h"
#include "tools/kb90/kb90_messages.h"

namespace tarvex::kb90 {

Kb90Tool::Kb90Tool(FtBus& bus, ToolView& view, Kb90View& buttons, Kb90Bounds bounds)
    : bus_(bus), view_(view), buttons_(buttons), bounds_(bounds), link_(buffer_size::kKb90) {}

std::string Kb90Tool::fileName() const {
  std::lock_guard lock(fileNameMutex_);
  return fileName_;
}

bool Kb90Tool::connectStep() {
  sendByte(link_, kConnect);
  if (receive(link_, 0, 1, bounds_.connectReply) == WaitResult::kReady &&
      link_.buffer[0] != kNoController) {
    view_.logLine(text::kControllerFound);
    view_.logLine(text::kDebugVersion + std::to_string(link_.buffer[0]));
    return true;
  }
  view_.logLine("");
  view_.logLine(text::kNoController);
  view_.logLine(text::kCheckPower);
  sendOutcome(link_, false);
  return false;
}

bool Kb90Tool::openAndConnect(bool clearLog) {
  if (clearLog) view_.clearLog();
  if (OpenAdapterLink(bus_, link_params::kKb90, link_, view_) != kLinkReady) return false;
  if (connectStep()) return true;
  CloseAdapterLink(link_);
  return false;
}

bool Kb90Tool::readClick() {
  if (!mode_.idle()) return false;
  if (!openAndConnect()) return false;
  return prepareRead(nullptr, nullptr, Kb90Button::kRead);
}

bool Kb90Tool::readInto(MemoryImage& memory, const char* purpose, Kb90Button keepEnabled) {
  if (!mode_.idle()) return false;
  if (!openAndConnect(false)) return false;
  return prepareRead(&memory, purpose, keepEnabled);
}

FileDialogSpec Kb90Tool::readDialog() {
  return {FileDialogSpec::Kind::kSave, dialog_text::kSaveTitle, text::kSaveFilter,
          text::kDefaultName, text::kDefaultExtension};
}

bool Kb90Tool::prepareRead(MemoryImage* memory, const char* purpose, Kb90Button keepEnabled) {
  if (memory) {
    memory->clear();
    sink_ = memory;
    view_.logLine(purpose);
  } else {
    const auto chosen = view_.chooseFile(readDialog());
    if (!chosen) {
      view_.logLine(text::kReadCancelled);
      CloseAdapterLink(link_);
      return false;
    }
    {
      std::lock_guard lock(fileNameMutex_);
      fileName_ = *chosen;
    }
    if (!saved_.begin(*chosen)) {
      view_.showErrorBox(dialog_text::kCreateFailed);
      CloseAdapterLink(link_);
      return false;
    }
    sink_ = &saved_;
    view_.logLine(text::kSaveFile);
    view_.logLine(printable(*chosen));
  }
  view_.setGaugeColor(0, colors::kLime);
  view_.setGaugeProgress(0, 0);
  view_.logLine(text::kReading);
  // The button of the operation under way stays enabled (a second press finds the tool
  // busy): KB90XX_READ for a read, KB90XX_WRITE when the read is a step of a write.
  disabled_ = keepEnabled == Kb90Button::kRead ? Kb90Button::kWrite : Kb90Button::kRead;
  buttons_.setButtonEnabled(disabled_, false);
  buttons_.setButtonEnabled(Kb90Button::kExit, false);
  pending_ = Pending::kRead;
  return true;
}

bool Kb90Tool::writeClick() {
  if (!mode_.idle()) return false;
  if (!openAndConnect()) return false;

  const FileDialogSpec request{FileDialogSpec::Kind::kOpen, dialog_text::kOpenTitle,
                            text::kOpenFilter, "", ""};
  const auto chosen = view_.chooseFile(request);
  if (!chosen) {
    view_.logLine(text::kWriteCancelled);
    CloseAdapterLink(link_);
    return false;
  }
  // The whole image is read before 'W', which erases the flash: a file that cannot be
  // read must leave the chip as it is.
  std::optional<LoadedFile> loaded = loadSource(*chosen);
  if (!loaded) {
    view_.showErrorBox(dialog_text::kOpenFailed);
    CloseAdapterLink(link_);
    return false;
  }
  source_ = ImageSource(std::move(loaded->bytes));
  return prepareWrite(*chosen);
}

std::optional<ChosenImage> Kb90Tool::chooseWriteImage() {
  view_.clearLog();
  const FileDialogSpec request{FileDialogSpec::Kind::kOpen, dialog_text::kOpenTitle,
                               text::kOpenFilter, "", ""};
  const auto chosen = view_.chooseFile(request);
  if (!chosen) {
    view_.logLine(text::kWriteCancelled);
    return std::nullopt;
  }
  std::optional<LoadedFile> loaded = loadSource(*chosen);
  if (!loaded) {
    view_.showErrorBox(dialog_text::kOpenFailed);
    return std::nullopt;
  }
  return chosenImage(*chosen, std::move(*loaded));
}

bool Kb90Tool::writeImage(const std::string& fileName, std::vector<std::uint8_t> image) {
  if (!mode_.idle()) return false;
  if (!openAndConnect(false)) return false;
  source_ = ImageSource(std::move(image));
  return prepareWrite(fileName);
}

bool Kb90Tool::prepareWrite(const std::string& fileName) {
  {
    std::lock_guard lock(fileNameMutex_);
    fileName_ = fileName;
  }
  touched_ = false;
  view_.logLine(text::kWriteFile);
  view_.logLine(printable(fileName));
  view_.setGaugeColor(0, colors::kRed);
  view_.setGaugeProgress(0, 0);
  view_.logLine(text::kWriting);
  disabled_ = Kb90Button::kRead;
  buttons_.setButtonEnabled(disabled_, false);
  buttons_.setButtonEnabled(Kb90Button::kExit, false);
  pending_ = Pending::kWrite;
  return true;
}

std::optional<LoadedFile> Kb90Tool::loadSource(const std::string& path) {
  // Bytes past the flash's size are never sent, so they are not read either.
  LoadedFile loaded = loadFile(path, kImageSize);
  if (loaded.status == LoadStatus::kNotRegularFile) view_.logLine(kNotRegularFileLine);
  if (loaded.status == LoadStatus::kReadFailed) view_.logLine(text::kFileReadFailed);
  if (!loaded.loaded()) return std::nullopt;
  return loaded;
}

void Kb90Tool::beginTransfer() {
  if (pending_ == Pending::kNone || !mode_.idle()) return;
  logStamp();
  blockCounter_ = 1;
  fileChecksum_ = {};
  const bool reading = pending_ == Pending::kRead;
  // The first command goes out before the mode word is set: from the moment the worker
  // sees the word, it alone touches the link.
  sendByte(link_, reading ? kReadStream : kWriteStream);
  if (!reading) touched_ = true;  // 'W' erases the flash
  setMode(reading ? kModeReading : kModeWriting);
}

void Kb90Tool::setMode(const std::string& value) {
  {
    std::lock_guard lock(handOverMutex_);
    mode_.set(value);
  }
  handOver_.notify_all();
}

bool Kb90Tool::runWorker() {
  {
    std::unique_lock lock(handOverMutex_);
    const bool named = handOver_.wait_for(lock, bounds_.workerHandOver, [&] {
      return mode_.is(kModeReading) || mode_.is(kModeWriting);
    });
    if (!named) return false;
  }
  succeeded_ = false;
  if (mode_.is(kModeReading)) {
    runRead();
  } else {
    runWrite();
  }
  return succeeded_;
}

bool Kb90Tool::exitClick() {
  if (!mode_.idle()) return false;
  view_.clearLog();
  view_.setGaugeProgress(0, 0);
  return true;
}

void Kb90Tool::logStamp() { view_.logLine(timeStampLine(kStampCurrentTime)); }

void Kb90Tool::failTransfer(const std::string& reason, bool streamOpen) {
  view_.logLine(reason);
  if (streamOpen) sendByte(link_, kEndStream);
  sendOutcome(link_, false);
  keepPartial();
  logStamp();
  endTransfer(false);
}

void Kb90Tool::keepPartial() {
  if (const auto kept = saved_.abandon()) {
    view_.logLine(keptPartialLine(text::kPartialKept, *kept, " (", text::kPartialBytes));
  }
}

void Kb90Tool::endTransfer(bool succeeded) {
  succeeded_ = succeeded;
  CloseAdapterLink(link_);
  source_ = {};
  pending_ = Pending::kNone;
  setMode(kModeNone);
  buttons_.setButtonEnabled(disabled_, true);
  buttons_.setButtonEnabled(Kb90Button::kExit, true);
}

}  // namespace tarvex::kb90
