#pragma once
// What makes an EEPROM image an EDID: the fixed 8-byte header and the checksum byte that
// brings the sum of the 128-byte base block to 0 (mod 256). Every function takes images of
// any length and reads nothing past their end.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "safety/image_checks.h"

namespace tarvex::edid {

inline constexpr std::array<std::uint8_t, 8> kEdidHeader{0x00, 0xFF, 0xFF, 0xFF,
                                                         0xFF, 0xFF, 0xFF, 0x00};
inline constexpr std::size_t kBaseBlockSize = 128;
inline constexpr std::size_t kChecksumOffset = kBaseBlockSize - 1;

struct BaseBlockChecksum {
  std::uint8_t stored = 0;
  std::uint8_t correct = 0;  // the value that makes the block's sum 0
  bool ok() const { return stored == correct; }
};

bool hasEdidHeader(std::span<const std::uint8_t> image);
// Nothing when the image is shorter than a base block.
std::optional<BaseBlockChecksum> baseBlockChecksum(std::span<const std::uint8_t> image);
// The image with its checksum byte set to the correct value; an image shorter than a base
// block comes back unchanged, since it has no checksum byte to set.
std::vector<std::uint8_t> withCorrectedChecksum(std::span<const std::uint8_t> image);

// Everything plainly wrong with a file's bytes before they go to an EEPROM of chipSize
// bytes: the generic size and blank checks, then a missing header and a wrong checksum
// (both left out for a blank image, where they say nothing new).
std::vector<ImageFinding> checkEdidImage(std::span<const std::uint8_t> image,
                                         std::uint64_t chipSize);

}  // namespace tarvex::edid
