#pragma once
// The two checks a write is verified by: the 16-bit sum of all bytes (modulo 65536) and
// CRC-16/ARC (polynomial 8005h reflected, initial value 0, no final XOR; check value
// BB3Dh over "123456789"). Both are updated block by block as the data goes out, so the
// image is never read twice.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvex::kb90 {

// The byte-wise CRC table: crc <- T[(crc ^ byte) & FFh] ^ (crc >> 8).
const std::array<std::uint16_t, 256>& crc16ArcTable();

std::uint16_t crc16ArcUpdate(std::uint16_t crc, std::uint8_t byte);
std::uint16_t crc16Arc(std::span<const std::uint8_t> data);
std::uint16_t sum16(std::span<const std::uint8_t> data);

// The running sum and CRC of a write, both starting at 0.
struct ImageChecksum {
  std::uint16_t sum = 0;
  std::uint16_t crc = 0;

  void add(std::span<const std::uint8_t> data);
};

}  // namespace tarvex::kb90
