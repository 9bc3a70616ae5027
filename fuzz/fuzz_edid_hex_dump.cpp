// The EDID hex dump of any 256-byte image (shorter inputs are padded with FFh, as an
// erased EEPROM reads). The dump must give back the image exactly: a technician compares
// it with a known good panel's, byte for byte.

#include <array>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "link/display_map.h"
#include "tools/edid/hex_dump.h"

using namespace tarvex;

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, 256> image;
  image.fill(0xFF);
  std::memcpy(image.data(), data, std::min(size, image.size()));

  const auto lines = edid::hexDump(image);
  FUZZ_CHECK(lines.size() == 17);
  FUZZ_CHECK(lines[0].empty());
  for (std::size_t row = 0; row < 16; ++row) {
    const std::string& line = lines[row + 1];
    // ":" + 16 x " XX" + " " + 16 characters.
    FUZZ_CHECK(line.size() == 1 + 16 * 3 + 1 + 16);
    FUZZ_CHECK(line[0] == ':');
    for (std::size_t col = 0; col < 16; ++col) {
      const std::uint8_t byte = image[row * 16 + col];
      const std::size_t at = 1 + col * 3;
      FUZZ_CHECK(line[at] == ' ');
      const int high = hexValue(line[at + 1]), low = hexValue(line[at + 2]);
      FUZZ_CHECK(high >= 0 && low >= 0);
      FUZZ_CHECK(high * 16 + low == byte);
      const char shown = line[1 + 16 * 3 + 1 + col];
      const char mapped = displayChar(byte);
      FUZZ_CHECK(shown == (mapped == ' ' ? '.' : mapped));
      FUZZ_CHECK(shown != ' ' && static_cast<unsigned char>(shown) < 0x80);
    }
    FUZZ_CHECK(line[1 + 16 * 3] == ' ');
  }
  return 0;
}
