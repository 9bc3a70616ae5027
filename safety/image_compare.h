#pragma once
// Comparing what a chip holds with what it should hold: an image read back after a write
// against the bytes that were sent, and an erased block against all FFh.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarvex {

struct ImageMismatch {
  std::size_t firstAddress = 0;  // the first byte that differs, from the start of the image
  std::size_t count = 0;         // how many bytes differ in all
  friend bool operator==(const ImageMismatch&, const ImageMismatch&) = default;
};

// Compares the first expected.size() bytes of `read` with `expected`. Bytes missing from a
// read that is too short count as differing, from the first missing one on.
std::optional<ImageMismatch> compareImage(std::span<const std::uint8_t> read,
                                          std::span<const std::uint8_t> expected);
// Every byte FFh, as an erased flash reads; nothing when it is.
std::optional<ImageMismatch> blankMismatch(std::span<const std::uint8_t> read);

// An address as the logs show it: "0x" and at least six hex digits.
std::string hexAddress(std::size_t address);

}  // namespace tarvex
