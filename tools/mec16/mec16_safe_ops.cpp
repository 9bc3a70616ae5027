#include "tools/mec16/mec16_safe_ops.h"

#include "frame/file_load.h"
#include "safety/image_compare.h"
#include "tools/mec16/mec16_commands.h"
#include "tools/mec16/mec16_messages.h"

namespace tarvex::mec16 {
namespace {

constexpr std::size_t kWriteLimit = std::size_t{kMainWriteBlocks} * kWriteBlockBytes;

}  // namespace

SafeChangeSteps Mec16SafeOps::commonSteps(ChangeKind kind) {
  SafeChangeSteps steps;
  steps.kind = kind;
  steps.startRead = [this](MemoryImage& into, const char* purpose) {
    return tool_.startReadInto(into, withInfo_, purpose);
  };
  steps.runRead = [this] { return tool_.runWorker(); };
  steps.readsStoppable = true;
  steps.flashTouched = [this] { return tool_.flashTouched(); };
  steps.chipSize = kMainBytes;
  steps.gauge = 0;
  return steps;
}

Mec16SafeOps::Mec16SafeOps(Mec16Tool& tool, Mec16View& view)
    : tool_(tool),
      view_(view),
      write_(
          [this] {
            SafeChangeSteps steps = commonSteps(ChangeKind::kWrite);
            steps.chooseImage = [this] { return chooseImage(); };
            steps.startChange = [this](const std::string& fileName, std::vector<std::uint8_t> image) {
              return tool_.startWriteImage(infoBox_, fileName, std::move(image));
            };
            steps.runChange = [this] { return tool_.runWorker(); };
            steps.expectedAfter = [this] { return std::optional(tool_.sentImage()); };
            steps.acceptChip = [this](std::span<const std::uint8_t> chip, const SafetyOptions& options) {
              return acceptChip(chip, options);
            };
            steps.readChipAlone = text::kBlankCheckRead;
            return steps;
          }(),
          view, {text::kSafety, text::kPartlyWritten, text::kBackupReadMain, text::kVerifyRead,
                 text::kWriteNotVerified}),
      erase_(
          [this] {
            SafeChangeSteps steps = commonSteps(ChangeKind::kErase);
            steps.runChange = [this] { return tool_.erase(withInfo_); };
            return steps;
          }(),
          view, {text::kSafety, text::kPartlyErased, text::kBackupReadMain, text::kEraseCheckRead,
                 nullptr}) {}

std::optional<ChosenImage> Mec16SafeOps::chooseImage() {
  const auto chosen = view_.chooseFile(Mec16Tool::writeDialog());
  if (!chosen) {
    view_.logLine(text::kWriteCancelled);
    return std::nullopt;
  }
  // The whole image is read and looked at before the adapter is touched.
  LoadedFile loaded = loadFile(*chosen, kWriteLimit);
  if (loaded.status == LoadStatus::kNotRegularFile) view_.logLine(kNotRegularFileLine);
  if (!loaded.loaded()) {
    view_.logLine(loaded.status == LoadStatus::kReadFailed ? text::kFileReadFailed
                                                           : text::kOpenFailed);
    return std::nullopt;
  }
  return chosenImage(*chosen, std::move(loaded));
}

bool Mec16SafeOps::acceptChip(std::span<const std::uint8_t> chip, const SafetyOptions& options) {
  if (!blankMismatch(chip)) return true;
  view_.logLine(text::kMainNotBlank);
  if (options.force ||
      view_.askYesNo(std::string(text::kMainNotBlank) + "\n" + text::kWriteAnyway)) {
    return true;
  }
  view_.logLine(text::kSafety.cancelled);
  return false;
}

PhaseChain Mec16SafeOps::write(const SafetyOptions& options, bool infoBoxChecked) {
  infoBox_ = infoBoxChecked;
  withInfo_ = false;  // only the main block is read around a write
  last_ = &write_;
  return write_.chain(options);
}

PhaseChain Mec16SafeOps::erase(const SafetyOptions& options, bool withInfo) {
  withInfo_ = withInfo;
  erase_.setBackupRead(withInfo ? text::kBackupReadMainAndInfo : text::kBackupReadMain);
  last_ = &erase_;
  return erase_.chain(options);
}

}  // namespace tarvex::mec16
