#pragma once
// Checks on an image before it goes to a chip, for every tool: a size that is not the
// chip's, and a blank image. Each finding is data (what kind, and a text to show), so the
// tool decides whether to ask in a message box, refuse on the command line or just log it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvex {

enum class ImageFindingKind {
  kSizeDiffers,  // the file is shorter or longer than the chip
  kBlank,        // every byte FFh (an erased chip's read) or every byte 00h
  kBadHeader,    // the format's fixed header is not there
  kBadChecksum,  // the format's checksum does not match the bytes
};

struct ImageFinding {
  ImageFindingKind kind;
  std::string text;
  bool shown = false;  // the text is in the log already (an image's decode told it)
  friend bool operator==(const ImageFinding&, const ImageFinding&) = default;
};

namespace check_text {
std::string sizeDiffers(std::uint64_t fileSize, std::uint64_t chipSize);
inline constexpr const char* kBlankErased = "Файл пустой: все байты FFh (стёртая микросхема).";
inline constexpr const char* kBlankZero = "Файл пустой: все байты 00h.";
}  // namespace check_text

std::optional<ImageFinding> sizeFinding(std::uint64_t fileSize, std::uint64_t chipSize);
// Nothing for an empty image: there is no content to call blank, and its size says enough.
std::optional<ImageFinding> blankFinding(std::span<const std::uint8_t> image);
// Both checks on a whole file's bytes against a chip of chipSize bytes.
std::vector<ImageFinding> checkImage(std::span<const std::uint8_t> image, std::uint64_t chipSize);

}  // namespace tarvex
