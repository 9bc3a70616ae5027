#include "safety/safety_net.h"

#include "safety/image_compare.h"
#include "base/printable.h"

namespace tarvex {
namespace {

bool reportMismatch(const std::optional<ImageMismatch>& mismatch, const char* okLine,
                    ToolView& view, const SafetyTexts& texts, int gauge) {
  if (!mismatch) {
    view.logLine(okLine);
    return true;
  }
  view.logLine(texts.mismatchAt + hexAddress(mismatch->firstAddress) + texts.mismatchCount +
               std::to_string(mismatch->count) + texts.mismatchEnd);
  view.setGaugeColor(gauge, colors::kRed);
  return false;
}

}  // namespace

bool acceptImageFindings(const std::vector<ImageFinding>& findings, ToolView& view,
                         const SafetyOptions& options, const SafetyTexts& texts) {
  for (const ImageFinding& finding : findings) {
    view.logLine(finding.text);
    if (options.force) continue;
    if (!view.askYesNo(finding.text + "\n" + texts.askGoOn)) {
      view.logLine(texts.cancelled);
      return false;
    }
  }
  return true;
}

bool keepBackup(std::span<const std::uint8_t> image, ToolView& view, const SafetyOptions& options,
                const SafetyTexts& texts, std::string* savedPath) {
  const SavedBackup saved = saveBackup(options.backupsFolder, texts.tool, image);
  if (!saved.saved()) {
    view.logLine(texts.backupNotSaved + printable(saved.error));
    return false;
  }
  view.logLine(texts.backupSaved + printable(saved.path));
  if (savedPath) *savedPath = saved.path;
  return true;
}

bool reportReadBack(std::span<const std::uint8_t> read, std::span<const std::uint8_t> sent,
                    ToolView& view, const SafetyTexts& texts, int gauge) {
  return reportMismatch(compareImage(read, sent), texts.verifyOk, view, texts, gauge);
}

bool reportBlank(std::span<const std::uint8_t> read, ToolView& view, const SafetyTexts& texts,
                 int gauge) {
  return reportMismatch(blankMismatch(read), texts.blankOk, view, texts, gauge);
}

}  // namespace tarvex
