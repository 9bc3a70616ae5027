#pragma once
// A short decode of an EDID image for the log: who made the panel and when, its preferred
// mode, its name and whether the base block's checksum is right. The image is untrusted:
// any length, any bytes; a field whose bytes lie past the end is simply absent.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/edid/edid_image_check.h"

namespace tarvex::edid {

struct ManufactureDate {
  enum class Kind { kWeek, kYearOnly, kModelYear };
  Kind kind = Kind::kYearOnly;
  int week = 0;  // 1..54 for kWeek, 0 otherwise
  int year = 0;
};

// The first detailed timing descriptor, the panel's preferred mode.
struct DetailedTiming {
  std::uint32_t pixelClockKHz = 0;
  int width = 0;
  int height = 0;  // of the whole frame: both fields when interlaced
  int hBlank = 0;
  int vBlank = 0;  // per field when interlaced
  bool interlaced = false;
  // Frames (fields when interlaced) per second in hundredths, rounded; 0 when the totals
  // are zero and no rate follows from the timing.
  std::uint32_t refreshCentiHz = 0;
};

struct EdidVersion {
  int version = 0;
  int revision = 0;
};

struct EdidSummary {
  std::size_t size = 0;
  bool headerValid = false;
  std::optional<std::string> manufacturer;  // three letters, '?' for a code outside A..Z
  std::optional<std::uint16_t> productCode;
  std::optional<std::uint32_t> serialNumber;
  std::optional<ManufactureDate> made;
  std::optional<EdidVersion> version;
  std::optional<DetailedTiming> preferredMode;  // absent when the first descriptor is no timing
  // The name's bytes as stored, without the line feed and padding; untrusted, so escape it
  // before showing it (decodeLines does).
  std::optional<std::string> monitorName;
  std::optional<BaseBlockChecksum> checksum;
};

EdidSummary decodeEdid(std::span<const std::uint8_t> image);
// The decode as log lines. Without a header only that and the checksum are told: the other
// fields of a blank or foreign image would be noise dressed up as facts.
std::vector<std::string> decodeLines(const EdidSummary& summary);
// Printable ASCII as itself, a backslash doubled, every other byte as \xNN.
std::string escapeText(std::string_view raw);

}  // namespace tarvex::edid
