#include "tools/edid/edid_decode.h"

#include <algorithm>
#include <cstdint>

#include "tools/edid/edid_messages.h"

namespace tarvex::edid {
namespace {

// Where the base block keeps what the decode shows.
inline constexpr std::size_t kManufacturerAt = 8;  // 2 bytes, big-endian, 3 x 5-bit letters
inline constexpr std::size_t kProductAt = 10;      // 2 bytes, little-endian
inline constexpr std::size_t kSerialAt = 12;       // 4 bytes, little-endian
inline constexpr std::size_t kWeekAt = 16;
inline constexpr std::size_t kYearAt = 17;  // years since 1990
inline constexpr std::size_t kVersionAt = 18;
inline constexpr std::size_t kRevisionAt = 19;
inline constexpr std::size_t kDescriptorsAt = 54;
inline constexpr std::size_t kDescriptorSize = 18;
inline constexpr std::size_t kDescriptorCount = 4;
inline constexpr std::uint8_t kNameTag = 0xFC;
inline constexpr std::size_t kDescriptorTextAt = 5;  // 13 bytes of text in a descriptor
inline constexpr int kLastWeek = 54;
inline constexpr std::uint8_t kModelYearWeek = 0xFF;

// A view of the image that answers "absent" for anything past its end.
class Bytes {
 public:
  explicit Bytes(std::span<const std::uint8_t> image) : image_(image) {}
  bool has(std::size_t at, std::size_t count) const {
    return at <= image_.size() && count <= image_.size() - at;
  }
  std::uint8_t operator[](std::size_t at) const { return image_[at]; }
  std::span<const std::uint8_t> sub(std::size_t at, std::size_t count) const {
    return image_.subspan(at, count);
  }

 private:
  std::span<const std::uint8_t> image_;
};

std::string manufacturerLetters(std::uint8_t high, std::uint8_t low) {
  const unsigned packed = (static_cast<unsigned>(high) << 8) | low;
  std::string letters;
  for (int shift : {10, 5, 0}) {
    const unsigned code = (packed >> shift) & 0x1F;
    letters += code >= 1 && code <= 26 ? static_cast<char>('A' + code - 1) : '?';
  }
  return letters;
}

ManufactureDate manufactureDate(std::uint8_t week, std::uint8_t year) {
  const int fullYear = 1990 + year;
  if (week == kModelYearWeek) return {ManufactureDate::Kind::kModelYear, 0, fullYear};
  if (week >= 1 && week <= kLastWeek) return {ManufactureDate::Kind::kWeek, week, fullYear};
  return {ManufactureDate::Kind::kYearOnly, 0, fullYear};
}

// Nothing when the descriptor is a display descriptor (pixel clock 0), not a timing.
std::optional<DetailedTiming> detailedTiming(std::span<const std::uint8_t> d) {
  const unsigned clock10kHz = d[0] | (d[1] << 8);
  if (clock10kHz == 0) return std::nullopt;
  DetailedTiming t;
  t.pixelClockKHz = clock10kHz * 10u;
  t.width = d[2] | ((d[4] & 0xF0) << 4);
  t.hBlank = d[3] | ((d[4] & 0x0F) << 8);
  const int fieldLines = d[5] | ((d[7] & 0xF0) << 4);
  t.vBlank = d[6] | ((d[7] & 0x0F) << 8);
  t.interlaced = (d[17] & 0x80) != 0;
  t.height = t.interlaced ? 2 * fieldLines : fieldLines;

  // Fields of an interlaced frame alternate between vtotal and vtotal + 1 lines, so a field
  // takes vtotal + 1/2 lines on average; sums are kept in half lines to stay in integers.
  const std::uint64_t hTotal = static_cast<std::uint64_t>(t.width) + t.hBlank;
  const std::uint64_t vTotalHalves =
      2 * (static_cast<std::uint64_t>(fieldLines) + t.vBlank) + (t.interlaced ? 1 : 0);
  const std::uint64_t halfLinePixels = hTotal * vTotalHalves;
  if (hTotal != 0 && vTotalHalves != 0) {
    const std::uint64_t centiHzNumerator = std::uint64_t{t.pixelClockKHz} * 1000 * 100 * 2;
    const std::uint64_t rounded = (centiHzNumerator + halfLinePixels / 2) / halfLinePixels;
    // A nonsense timing (a few pixels per frame) gives rates past any field; cap them.
    t.refreshCentiHz = static_cast<std::uint32_t>(std::min<std::uint64_t>(rounded, UINT32_MAX));
  }
  return t;
}

// The text of the first monitor name descriptor: up to 13 bytes, ended by a line feed,
// padded with blanks.
std::optional<std::string> monitorName(const Bytes& bytes) {
  for (std::size_t i = 0; i < kDescriptorCount; ++i) {
    const std::size_t at = kDescriptorsAt + i * kDescriptorSize;
    if (!bytes.has(at, kDescriptorSize)) break;
    const auto d = bytes.sub(at, kDescriptorSize);
    if (d[0] != 0 || d[1] != 0 || d[2] != 0 || d[3] != kNameTag) continue;
    std::string name;
    for (std::size_t k = kDescriptorTextAt; k < kDescriptorSize && d[k] != 0x0A; ++k) {
      name += static_cast<char>(d[k]);
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
  }
  return std::nullopt;
}

}  // namespace

EdidSummary decodeEdid(std::span<const std::uint8_t> image) {
  const Bytes bytes(image);
  EdidSummary s;
  s.size = image.size();
  s.headerValid = hasEdidHeader(image);
  if (bytes.has(kManufacturerAt, 2)) {
    s.manufacturer = manufacturerLetters(bytes[kManufacturerAt], bytes[kManufacturerAt + 1]);
  }
  if (bytes.has(kProductAt, 2)) {
    s.productCode = static_cast<std::uint16_t>(bytes[kProductAt] | (bytes[kProductAt + 1] << 8));
  }
  if (bytes.has(kSerialAt, 4)) {
    s.serialNumber = static_cast<std::uint32_t>(bytes[kSerialAt]) |
                     static_cast<std::uint32_t>(bytes[kSerialAt + 1]) << 8 |
                     static_cast<std::uint32_t>(bytes[kSerialAt + 2]) << 16 |
                     static_cast<std::uint32_t>(bytes[kSerialAt + 3]) << 24;
  }
  if (bytes.has(kWeekAt, 2)) s.made = manufactureDate(bytes[kWeekAt], bytes[kYearAt]);
  if (bytes.has(kVersionAt, 2)) s.version = EdidVersion{bytes[kVersionAt], bytes[kRevisionAt]};
  if (bytes.has(kDescriptorsAt, kDescriptorSize)) {
    s.preferredMode = detailedTiming(bytes.sub(kDescriptorsAt, kDescriptorSize));
  }
  s.monitorName = monitorName(bytes);
  s.checksum = baseBlockChecksum(image);
  return s;
}

std::string escapeText(std::string_view raw) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string shown;
  for (char c : raw) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b == '\\') {
      shown += "\\\\";
    } else if (b >= 0x20 && b < 0x7F) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kDigits[b >> 4];
      shown += kDigits[b & 0x0F];
    }
  }
  return shown;
}

std::vector<std::string> decodeLines(const EdidSummary& s) {
  std::vector<std::string> lines;
  if (s.size < kBaseBlockSize) lines.push_back(msg::imageCutShort(s.size));
  if (!s.headerValid) {
    lines.push_back(msg::kNoEdidHeader);
  } else {
    if (s.version) lines.push_back(msg::edidVersion(s.version->version, s.version->revision));
    if (s.manufacturer) lines.push_back(msg::manufacturer(*s.manufacturer));
    if (s.productCode) lines.push_back(msg::productCode(*s.productCode));
    if (s.serialNumber) lines.push_back(msg::serialNumber(*s.serialNumber));
    if (s.made) {
      switch (s.made->kind) {
        case ManufactureDate::Kind::kWeek:
          lines.push_back(msg::madeInWeek(s.made->week, s.made->year));
          break;
        case ManufactureDate::Kind::kYearOnly:
          lines.push_back(msg::madeInYear(s.made->year));
          break;
        case ManufactureDate::Kind::kModelYear:
          lines.push_back(msg::modelYear(s.made->year));
          break;
      }
    }
    if (s.preferredMode) {
      const DetailedTiming& t = *s.preferredMode;
      lines.push_back(
          msg::preferredMode(t.width, t.height, t.interlaced, t.refreshCentiHz, t.pixelClockKHz));
    } else if (s.size >= kDescriptorsAt + kDescriptorSize) {
      lines.push_back(msg::kNoPreferredMode);
    }
    if (s.monitorName) {
      lines.push_back(msg::monitorName(escapeText(*s.monitorName)));
    } else if (s.size >= kBaseBlockSize) {
      lines.push_back(msg::kNoMonitorName);
    }
  }
  if (!s.checksum) {
    lines.push_back(msg::kChecksumUnknown);
  } else if (s.checksum->ok()) {
    lines.push_back(msg::checksumRight(s.checksum->stored));
  } else {
    lines.push_back(msg::checksumWrong(s.checksum->stored, s.checksum->correct));
  }
  return lines;
}

}  // namespace tarvex::edid
