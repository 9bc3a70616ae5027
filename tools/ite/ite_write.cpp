// Erasing and writing the controller's flash: the handler reads the image file and attaches;
// the worker enters flash mode, erases the chip and programs every byte that is not FFh.

#include <algorithm>
#include <utility>

#include "frame/file_load.h"
#include "base/printable.h"
#include "frame/time_stamp.h"
#include "link/adapter_link.h"
#include "tools/ite/ite_commands.h"
#include "tools/ite/ite_messages.h"
#include "tools/ite/ite_tool.h"

namespace tarvex {
namespace {

constexpr std::uint8_t kBlank = 0xFF;  // erased flash: never sent

}  // namespace

bool IteTool::openForWrite() {
  if (!mode_.idle()) return false;
  mode_.set(kModeWriteIte);
  touched_ = false;
  sent_.clear();
  // "W R I T E" stays enabled; a second press finds the mode word busy.
  setButtons(false, IteButton::kWrite);
  view_.setGaugeColor(kIteGauge, colors::kRed);
  view_.setGaugeProgress(kIteGauge, 0);
  view_.logLine("");

  if (OpenAdapterLink(bus_, link_params::kIte, link_, view_) != kLinkReady) {
    mode_.set(kModeNone);
    setAllButtons(true);
    return false;
  }
  return true;
}

bool IteTool::startWrite() { return beginWrite(std::nullopt); }

bool IteTool::startWriteImage(const std::string& fileName, std::vector<std::uint8_t> image) {
  if (!mode_.idle()) return false;
  fileName_ = fileName;
  return beginWrite(std::move(image));
}

std::optional<ChosenImage> IteTool::chooseWriteImage() {
  const auto chosen = view_.chooseFile({FileDialogSpec::Kind::kOpen, dialog_text::kOpenTitle,
                                        ite_text::kOpenFilter, "", ""});
  if (!chosen) {
    view_.logLine(ite_text::kWriteCancelled);
    return std::nullopt;
  }
  // The whole image is read now, before the worker erases the chip: a file that cannot be
  // read must leave the firmware in place.
  LoadedFile loaded = loadFile(*chosen, kFlashSize);
  if (loaded.status == LoadStatus::kReadFailed) {
    view_.logLine(ite_text::kWriteFileReadFailed);
    return std::nullopt;
  }
  if (loaded.status == LoadStatus::kNotRegularFile) view_.logLine(kNotRegularFileLine);
  if (!loaded.loaded()) {
    view_.logLine(ite_text::kWriteOpenFailed);
    view_.showErrorBox(dialog_text::kOpenFailed);
    return std::nullopt;
  }
  return chosenImage(*chosen, std::move(loaded));
}

bool IteTool::beginWrite(std::optional<std::vector<std::uint8_t>> image) {
  if (!openForWrite()) return false;
  if (!image) {
    std::optional<ChosenImage> chosen = chooseWriteImage();
    if (!chosen) {
      failStart();
      return false;
    }
    fileName_ = chosen->fileName;
    image = std::move(chosen->bytes);
  }
  source_ = ImageSource(std::move(*image));
  view_.logLine(timeStampLine(kStampCurrentTime));
  view_.logLine(ite_text::kWritingFile + printable(fileName_));
  view_.logLine(ite_text::kWriteStart);
  if (!attach()) {
    logChipFailure(ite_text::kNoChipEnglish, "3F");
    failStart();
    return false;
  }
  return true;
}

void IteTool::writeStream() {
  view_.logLine(ite_text::kInitializing);
  if (!runCycles(ite_reg::kWriteEntry, ite_text::kNoChipRussian)) return finishStream(false);
  view_.logLine(ite_text::kInitialized);
  if (!runCycles(ite_reg::kWriteEnableSteps, ite_text::kNoChipRussian)) {
    return finishStream(false);
  }
  view_.logLine(ite_text::kSendErase);
  touched_ = true;  // from the first erase cycle on, the old firmware is going
  if (!runCycles(ite_reg::kEraseSteps, ite_text::kNoChipRussian)) return finishStream(false);
  // The adapter takes the first flash address once the erase has finished; nothing here
  // polls the flash for it.
  view_.logLine(ite_text::kEraseDone);
  loadImage();
  const bool written = programImage();
  if (written) view_.logLine(ite_text::kWriteDone);
  finishStream(written);
}

void IteTool::loadImage() {
  // The image area follows the command area of the transfer buffer; a short file leaves
  // the rest blank, a long one was cut at 128 KiB when it was read.
  std::uint8_t* image = link_.buffer.data() + buffer_size::kCommandArea;
  std::fill_n(image, kFlashSize, kBlank);
  source_.take(image, kFlashSize);
  source_ = {};
  sent_.assign(image, image + kFlashSize);
  view_.logLine(ite_text::kLoaded);
  const auto blanks = std::count(image, image + kFlashSize, kBlank);
  view_.logLine(ite_text::kBlankCount + std::to_string(blanks));
}

bool IteTool::programImage() {
  const std::uint8_t* image = link_.buffer.data() + buffer_size::kCommandArea;
  view_.logLine(ite_text::kBeginWrite);
  bool addressNeeded = true;
  bool firstAddress = true;
  for (std::uint32_t address = 0; address < kFlashSize; ++address) {
    const std::uint8_t byte = image[address];
    if (byte == kBlank) {
      addressNeeded = true;
    } else {
      if (addressNeeded) {
        const auto bound = firstAddress ? bounds_.firstAddress : bounds_.reply;
        const auto accepted = iteRequest(
            link_,
            {ite_cmd::kFlashAddress, static_cast<std::uint8_t>(address >> 16),
             static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)},
            bound);
        if (accepted != ite_cmd::kDone) {
          view_.logLine(ite_text::kAddressRefused);
          return false;
        }
        addressNeeded = false;
        firstAddress = false;
      }
      if (iteRequest(link_, {ite_cmd::kFlashByte, byte}, bounds_.flashByte) != ite_cmd::kDone) {
        view_.logLine(ite_text::kByteRefused);
        return false;
      }
    }
    const std::uint32_t next = address + 1;
    const int inPage = static_cast<int>(next & 0xFF);
    if (inPage == 0) view_.setGaugeProgress(kIteGauge, static_cast<int>(next / 256));
    // The speed gauge follows every programmed byte; across a blank run it only needs to
    // show where the run ends, so skipped bytes do not flood the window with updates.
    if (byte != kBlank || inPage == 0) view_.setGaugeProgress(kIteSpeedGauge, inPage);
  }
  return true;
}

}  // namespace tarvex
