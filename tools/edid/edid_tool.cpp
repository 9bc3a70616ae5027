#include "tools/edid/edid_tool.h"

#include <algorithm>

#include "frame/file_load.h"
#include "base/printable.h"
#include "frame/staged_image.h"
#include "link/adapter_link.h"
#include "tools/edid/edid_decode.h"
#include "tools/edid/edid_messages.h"
#include "tools/edid/hex_dump.h"

namespace tarvex::edid {
namespace {

FileDialogSpec saveDialog() {
  return {FileDialogSpec::Kind::kSave, dialog_text::kSaveTitle, msg::kSaveFilter,
          msg::kDefaultName, msg::kDefaultExtension};
}

FileDialogSpec openDialog() {
  return {FileDialogSpec::Kind::kOpen, dialog_text::kOpenTitle, msg::kOpenFilter, "", ""};
}

}  // namespace

EdidTool::EdidTool(FtBus& bus, ToolView& view, EdidBounds bounds)
    : bus_(bus), view_(view), bounds_(bounds) {}

std::span<const std::uint8_t, kImageSize> EdidTool::image() const {
  return std::span<const std::uint8_t, kImageSize>(link_.buffer.data() + kImageOffset,
                                                   kImageSize);
}

void EdidTool::exit() { view_.clearLog(); }

bool EdidTool::read() {
  view_.clearLog();
  if (!readEeprom(true)) return false;
  const bool saved = saveImage();
  logDecode(image());
  return saved;
}

bool EdidTool::readInto(MemoryImage& into, const char* purpose) {
  into.clear();
  view_.logLine(purpose);
  if (!readEeprom(false)) return false;
  return into.write(image().data(), kImageSize) && into.commit();
}

bool EdidTool::readEeprom(bool dump) {
  if (OpenAdapterLink(bus_, link_params::kEdid, link_, view_) != kLinkReady) return false;

  view_.logLine(msg::kReading);
  if (!sendBytes(link_, {cmd::kEeprom, cmd::kRead})) return failAndClose(msg::kLinkLost);

  // The image and then the two status letters arrive as one run, in pieces of any size.
  std::uint32_t received = 0;
  const WaitResult gathered =
      gatherReply(kImageOffset, kReadReplySize, bounds_.readReply, &received);
  if (gathered != WaitResult::kReady) {
    return failWaitAndClose(gathered, msg::readReplyIncomplete(received, kReadReplySize));
  }

  const StatusLetters status = statusAt(kStatusOffset);
  if (status == kStatusError) {
    view_.logLine(msg::kReadNoAnswer);
    view_.logLine("");
    return endFailed();
  }
  if (status != kStatusOk) {
    // Neither letter pair the firmware knows: the image cannot be trusted either.
    view_.logLine(msg::unexpectedStatus(status[0], status[1]));
    view_.logLine("");
    return endFailed();
  }

  view_.logLine(msg::kReadDone);
  if (dump) logDump(image());
  sendOutcome(link_, true);
  CloseAdapterLink(link_);
  return true;
}

void EdidTool::logDump(std::span<const std::uint8_t> image) {
  if (image.size() < kImageSize) return;
  for (const auto& line : hexDump(image.first<kImageSize>())) view_.logLine(line);
  view_.logLine("");
}

void EdidTool::logDecode(std::span<const std::uint8_t> image) {
  // After every line the read itself logs, set off by an empty line.
  view_.logLine("");
  for (const auto& line : decodeLines(decodeEdid(image))) view_.logLine(line);
}

bool EdidTool::beginSave(StagedImage& file, bool forImage) {
  const auto chosen = view_.chooseFile(saveDialog());
  if (!chosen) {
    view_.logLine(msg::kSaveInterrupted);
    return false;
  }
  fileName_ = *chosen;
  if (!file.begin(fileName_)) {
    view_.showErrorBox(dialog_text::kCreateFailed);
    view_.logLine("");
    return false;
  }
  if (forImage) {
    view_.logLine(msg::kSaveFile);
    view_.logLine(printable(fileName_));
  }
  return true;
}

bool EdidTool::saveImage() {
  StagedImage file;
  if (!beginSave(file, true)) return false;
  // Nothing looking like a saved EEPROM is left under the chosen name unless all of it is.
  const bool stored = file.write(image().data(), kImageSize) && file.commit();
  if (!stored) {
    view_.logLine(msg::kFileNotSaved);
    if (const auto kept = file.abandon()) view_.logLine(msg::partialKept(kept->path, kept->bytes));
    view_.showErrorBox(msg::kFileWriteBox);
  }
  return stored;
}

bool EdidTool::write() {
  view_.clearLog();
  if (OpenAdapterLink(bus_, link_params::kEdid, link_, view_) != kLinkReady) return false;

  const auto loaded = chooseImageFile();
  if (!loaded) {
    CloseAdapterLink(link_);
    return false;
  }
  view_.logLine(msg::kWriting);
  placeImage(loaded->bytes);
  return sendImage();
}

bool EdidTool::writeImage(std::span<const std::uint8_t> bytes) {
  if (OpenAdapterLink(bus_, link_params::kEdid, link_, view_) != kLinkReady) return false;
  view_.logLine(msg::kWriting);
  placeImage(bytes);
  return sendImage();
}

bool EdidTool::sendImage() {
  touched_ = false;
  if (!sendBytes(link_, {cmd::kEeprom, cmd::kWrite})) return failAndClose(msg::kLinkLost);
  // The firmware's one-byte answer only says it is ready for the data; its value is not
  // examined.
  const WaitResult ack = receive(link_, kReplyOffset, kWriteAckSize, bounds_.writeAck);
  if (ack != WaitResult::kReady) return failWaitAndClose(ack, msg::kNoWriteAck);

  for (const auto& line : hexDump(image())) view_.logLine(line);
  view_.logLine("");

  std::copy(image().begin(), image().end(), sent_.begin());
  touched_ = true;
  if (!sendFromBuffer(link_, kImageOffset, kImageSize)) return failAndClose(msg::kLinkLost);
  const WaitResult done =
      receive(link_, kReplyOffset, kWriteStatusSize, bounds_.writeStatus);
  if (done != WaitResult::kReady) return failWaitAndClose(done, msg::kNoWriteStatus);

  const StatusLetters status = statusAt(kReplyOffset);
  if (status == kStatusOk) {
    view_.logLine(msg::kWriteDone);
    sendOutcome(link_, true);
    CloseAdapterLink(link_);
    return true;
  }
  return failAndClose(status == kStatusError ? std::string(msg::kWriteError)
                                             : msg::unexpectedStatus(status[0], status[1]));
}

std::optional<LoadedFile> EdidTool::chooseImageFile() {
  const auto chosen = view_.chooseFile(openDialog());
  if (!chosen) {
    view_.logLine(msg::kWriteInterrupted);
    return std::nullopt;
  }
  fileName_ = *chosen;
  LoadedFile loaded = loadFile(fileName_, kImageSize);
  if (loaded.status == LoadStatus::kNotRegularFile) view_.logLine(kNotRegularFileLine);
  if (loaded.status == LoadStatus::kReadFailed || loaded.status == LoadStatus::kNotRegularFile) {
    view_.logLine(msg::kFileNotRead);
    view_.showErrorBox(msg::kFileReadBox);
    return std::nullopt;
  }
  if (!loaded.loaded()) {
    view_.showErrorBox(dialog_text::kOpenFailed);
    view_.logLine("");
    return std::nullopt;
  }
  return loaded;
}

void EdidTool::placeImage(std::span<const std::uint8_t> bytes) {
  // A shorter file leaves the rest of the image erased (FFh); a longer one gives only its
  // first 256 bytes.
  std::uint8_t* image = link_.buffer.data() + kImageOffset;
  std::fill_n(image, kImageSize, 0xFF);
  std::copy_n(bytes.begin(), std::min(bytes.size(), kImageSize), image);
}

WaitResult EdidTool::gatherReply(std::size_t offset, std::uint32_t count,
                                 SteadyClock::duration bound, std::uint32_t* received) {
  const auto deadline = SteadyClock::now() + bound;
  *received = 0;
  while (*received < count) {
    const auto left = deadline - SteadyClock::now();
    if (left <= SteadyClock::duration::zero()) return WaitResult::kTimedOut;
    const WaitResult waited = waitForBytes(link_, 1, left);
    if (waited != WaitResult::kReady) return waited;
    // Take what is queued, but never more than the reply: anything beyond it is not part
    // of this answer and stays in the queue, which the closing of the link discards.
    const std::uint32_t take = std::min(link_.queue.rx, count - *received);
    if (!readIntoBuffer(link_, offset + *received, take)) return WaitResult::kFailed;
    *received += take;
  }
  return WaitResult::kReady;
}

StatusLetters EdidTool::statusAt(std::size_t offset) const {
  return {link_.buffer[offset], link_.buffer[offset + 1]};
}

bool EdidTool::endFailed() {
  sendOutcome(link_, false);
  CloseAdapterLink(link_);
  return false;
}

bool EdidTool::failAndClose(const std::string& line) {
  view_.logLine(line);
  return endFailed();
}

bool EdidTool::failWaitAndClose(WaitResult result, const std::string& timedOutLine) {
  return failAndClose(result == WaitResult::kTimedOut ? timedOutLine : std::string(msg::kLinkLost));
}

}  // namespace tarvex::edid
