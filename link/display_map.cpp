#include "link/display_map.h"

#include <array>

namespace tarvex {
namespace {

constexpr std::array<char, 256> buildTable() {
  std::array<char, 256> table{};
  for (int b = 0; b < 256; ++b) {
    const bool keep = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
                      (b >= 'a' && b <= 'z') || b == '.' || b == '_';
    table[b] = keep ? static_cast<char>(b) : ' ';
  }
  return table;
}

constexpr std::array<char, 256> kTable = buildTable();

}  // namespace

char displayChar(std::uint8_t byte) { return kTable[byte]; }

std::string displayText(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  text.reserve(count);
  for (std::size_t i = 0; i < count; ++i) text.push_back(kTable[bytes[i]]);
  return text;
}

}  // namespace tarvex
