#include "tools/edid/edid_image_check.h"

#include <algorithm>
#include <numeric>

#include "tools/edid/edid_messages.h"

namespace tarvex::edid {

bool hasEdidHeader(std::span<const std::uint8_t> image) {
  return image.size() >= kEdidHeader.size() &&
         std::equal(kEdidHeader.begin(), kEdidHeader.end(), image.begin());
}

std::optional<BaseBlockChecksum> baseBlockChecksum(std::span<const std::uint8_t> image) {
  if (image.size() < kBaseBlockSize) return std::nullopt;
  const unsigned sumBefore = std::accumulate(image.begin(), image.begin() + kChecksumOffset, 0u);
  const auto correct = static_cast<std::uint8_t>(0x100 - (sumBefore & 0xFF));
  return BaseBlockChecksum{image[kChecksumOffset], correct};
}

std::vector<std::uint8_t> withCorrectedChecksum(std::span<const std::uint8_t> image) {
  std::vector<std::uint8_t> fixed(image.begin(), image.end());
  if (const auto checksum = baseBlockChecksum(image)) fixed[kChecksumOffset] = checksum->correct;
  return fixed;
}

std::vector<ImageFinding> checkEdidImage(std::span<const std::uint8_t> image,
                                         std::uint64_t chipSize) {
  std::vector<ImageFinding> findings = checkImage(image, chipSize);
  const bool blank = std::any_of(findings.begin(), findings.end(), [](const ImageFinding& f) {
    return f.kind == ImageFindingKind::kBlank;
  });
  if (blank) return findings;
  if (!hasEdidHeader(image)) findings.push_back({ImageFindingKind::kBadHeader, msg::kNoEdidHeader});
  const auto checksum = baseBlockChecksum(image);
  if (checksum && !checksum->ok()) {
    findings.push_back(
        {ImageFindingKind::kBadChecksum, msg::checksumWrong(checksum->stored, checksum->correct)});
  }
  return findings;
}

}  // namespace tarvex::edid
