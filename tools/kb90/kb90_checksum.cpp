#include "tools/kb90/kb90_checksum.h"

namespace tarvex::kb90 {
namespace {

constexpr std::array<std::uint16_t, 256> makeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    table[i] = static_cast<std::uint16_t>(crc);
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = makeTable();

}  // namespace

const std::array<std::uint16_t, 256>& crc16ArcTable() { return kTable; }

std::uint16_t crc16ArcUpdate(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>(kTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8));
}

std::uint16_t crc16Arc(std::span<const std::uint8_t> data) {
  std::uint16_t crc = 0;
  for (std::uint8_t byte : data) crc = crc16ArcUpdate(crc, byte);
  return crc;
}

std::uint16_t sum16(std::span<const std::uint8_t> data) {
  std::uint16_t sum = 0;
  for (std::uint8_t byte : data) sum = static_cast<std::uint16_t>(sum + byte);
  return sum;
}

void ImageChecksum::add(std::span<const std::uint8_t> data) {
  for (std::uint8_t byte : data) {
    sum = static_cast<std::uint16_t>(sum + byte);
    crc = crc16ArcUpdate(crc, byte);
  }
}

}  // namespace tarvex::kb90
