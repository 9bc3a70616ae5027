#pragma once
// The hex dump of an EEPROM image as the log shows it: an empty line, then 16 lines of 16
// bytes, each ":", then " XX" per byte, one blank, then the bytes' display characters
// with '.' for every byte that has none. No address column.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarvex::edid {

std::string hexDumpLine(std::span<const std::uint8_t, 16> bytes);
std::vector<std::string> hexDump(std::span<const std::uint8_t, 256> image);

}  // namespace tarvex::edid
