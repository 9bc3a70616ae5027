#include "tools/edid/edid_safe_ops.h"

#include <algorithm>

#include "tools/edid/edid_decode.h"
#include "tools/edid/edid_image_check.h"
#include "tools/edid/edid_messages.h"

namespace tarvex::edid {

EdidSafeOps::EdidSafeOps(EdidTool& tool, ToolView& view)
    : tool_(tool),
      view_(view),
      change_(steps(), view,
              {msg::kSafety, msg::kPartlyWritten, msg::kBackupRead, msg::kVerifyRead,
               msg::kWriteNotVerified}) {}

SafeChangeSteps EdidSafeOps::steps() {
  SafeChangeSteps steps;
  steps.chooseImage = [this] { return chooseImage(); };
  steps.moreFindings = [this](std::span<const std::uint8_t> image) {
    // The generic size and blank checks have run; the header and the checksum are the
    // EDID's own. A finding the decode has told already is not logged again.
    std::vector<ImageFinding> findings;
    for (ImageFinding& finding : checkEdidImage(image, kImageSize)) {
      if (finding.kind != ImageFindingKind::kBadHeader &&
          finding.kind != ImageFindingKind::kBadChecksum) {
        continue;
      }
      finding.shown = std::find(decode_.begin(), decode_.end(), finding.text) != decode_.end();
      findings.push_back(std::move(finding));
    }
    return findings;
  };
  steps.settleFinding = [this](const ImageFinding& finding, const SafetyOptions& options,
                               std::vector<std::uint8_t>& image) {
    return settleFinding(finding, options, image);
  };
  // Each EEPROM session runs whole in one call: the read is only noted where the chain
  // prepares it, and made on the worker.
  steps.startRead = [this](MemoryImage& into, const char* purpose) {
    readInto_ = &into;
    readPurpose_ = purpose;
    return true;
  };
  steps.runRead = [this] { return tool_.readInto(*readInto_, readPurpose_); };
  steps.startChange = [this](const std::string&, std::vector<std::uint8_t> image) {
    image_ = std::move(image);
    return true;
  };
  steps.runChange = [this] { return tool_.writeImage(image_); };
  steps.flashTouched = [this] { return tool_.flashTouched(); };
  steps.expectedAfter = [this] {
    const auto sent = tool_.sentImage();
    return std::optional(std::vector<std::uint8_t>(sent.begin(), sent.end()));
  };
  steps.chipSize = kImageSize;
  return steps;
}

PhaseChain EdidSafeOps::write(const SafetyOptions& options, bool fixChecksum) {
  fixChecksum_ = fixChecksum;
  return change_.chain(options);
}

std::optional<ChosenImage> EdidSafeOps::chooseImage() {
  view_.clearLog();
  const auto loaded = tool_.chooseImageFile();
  if (!loaded) return std::nullopt;
  ChosenImage chosen = chosenImage(tool_.fileName(), *loaded);
  // What goes out is always 256 bytes: the file's, erased (FFh) where it is shorter. The
  // header and the checksum are looked at in exactly those bytes.
  chosen.bytes.resize(kImageSize, 0xFF);

  // The decode first, so each finding reads against it.
  decode_ = decodeLines(decodeEdid(chosen.bytes));
  for (const auto& line : decode_) view_.logLine(line);
  view_.logLine("");
  return chosen;
}

std::optional<bool> EdidSafeOps::settleFinding(const ImageFinding& finding,
                                               const SafetyOptions& options,
                                               std::vector<std::uint8_t>& image) {
  if (finding.kind != ImageFindingKind::kBadChecksum) return std::nullopt;
  Answer answer = Answer::kOther;
  if (!fixChecksum_) {
    answer = options.force ? Answer::kYes
                           : view_.askYesNoOr(finding.text + "\n" + msg::kChecksumQuestion,
                                              msg::kCorrectChecksumChoice);
  }
  if (answer == Answer::kNo) {
    view_.logLine(msg::kSafety.cancelled);
    return false;
  }
  if (answer == Answer::kOther) {
    const auto checksum = baseBlockChecksum(image);
    image = withCorrectedChecksum(image);
    view_.logLine(msg::checksumCorrected(checksum->stored, checksum->correct));
  }
  return true;
}

}  // namespace tarvex::edid
