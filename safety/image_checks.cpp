#include "safety/image_checks.h"

#include <algorithm>

namespace tarvex {

std::string check_text::sizeDiffers(std::uint64_t fileSize, std::uint64_t chipSize) {
  return "Размер файла " + std::to_string(fileSize) + " байт не равен размеру микросхемы " +
         std::to_string(chipSize) + " байт.";
}

std::optional<ImageFinding> sizeFinding(std::uint64_t fileSize, std::uint64_t chipSize) {
  if (fileSize == chipSize) return std::nullopt;
  return ImageFinding{ImageFindingKind::kSizeDiffers, check_text::sizeDiffers(fileSize, chipSize)};
}

std::optional<ImageFinding> blankFinding(std::span<const std::uint8_t> image) {
  if (image.empty()) return std::nullopt;
  const std::uint8_t first = image.front();
  if (first != 0xFF && first != 0x00) return std::nullopt;
  if (!std::all_of(image.begin(), image.end(), [first](std::uint8_t b) { return b == first; })) {
    return std::nullopt;
  }
  return ImageFinding{ImageFindingKind::kBlank,
                      first == 0xFF ? check_text::kBlankErased : check_text::kBlankZero};
}

std::vector<ImageFinding> checkImage(std::span<const std::uint8_t> image, std::uint64_t chipSize) {
  std::vector<ImageFinding> findings;
  if (auto size = sizeFinding(image.size(), chipSize)) findings.push_back(std::move(*size));
  if (auto blank = blankFinding(image)) findings.push_back(std::move(*blank));
  return findings;
}

}  // namespace tarvex
