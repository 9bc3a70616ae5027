#include "tools/edid/hex_dump.h"

#include "link/display_map.h"

namespace tarvex::edid {

std::string hexDumpLine(std::span<const std::uint8_t, 16> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string line = ":";
  for (std::uint8_t b : bytes) {
    line += ' ';
    line += kDigits[b >> 4];
    line += kDigits[b & 0x0F];
  }
  line += ' ';
  for (std::uint8_t b : bytes) {
    const char c = displayChar(b);
    line += c == ' ' ? '.' : c;
  }
  return line;
}

std::vector<std::string> hexDump(std::span<const std::uint8_t, 256> image) {
  std::vector<std::string> lines{""};
  for (std::size_t row = 0; row < 16; ++row) {
    lines.push_back(hexDumpLine(image.subspan(row * 16).first<16>()));
  }
  return lines;
}

}  // namespace tarvex::edid
