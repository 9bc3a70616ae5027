#include "safety/image_compare.h"

#include <cstdio>

namespace tarvex {
namespace {

template <typename Expected>
std::optional<ImageMismatch> mismatchOf(std::span<const std::uint8_t> read, std::size_t size,
                                        Expected expected) {
  std::optional<ImageMismatch> found;
  for (std::size_t i = 0; i < size; ++i) {
    if (i < read.size() && read[i] == expected(i)) continue;
    if (!found) found = ImageMismatch{i, 0};
    ++found->count;
  }
  return found;
}

}  // namespace

std::optional<ImageMismatch> compareImage(std::span<const std::uint8_t> read,
                                          std::span<const std::uint8_t> expected) {
  return mismatchOf(read, expected.size(), [&](std::size_t i) { return expected[i]; });
}

std::optional<ImageMismatch> blankMismatch(std::span<const std::uint8_t> read) {
  return mismatchOf(read, read.size(), [](std::size_t) { return std::uint8_t{0xFF}; });
}

std::string hexAddress(std::size_t address) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%06zX", address);
  return text;
}

}  // namespace tarvex
