#include "tools/ite/presets.h"

#include <algorithm>
#include <optional>

#include "frame/file_load.h"
#include "base/native_files.h"
#include "base/printable.h"
#include "tools/ite/ite_messages.h"

namespace tarvex {
namespace {

// Windows-1251 bytes 80h..FFh as Unicode code points (98h is unassigned).
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411,
    0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432,
    0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D,
    0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448,
    0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The length of the UTF-8 sequence starting at text[i], or 0 when it is not a valid one.
std::size_t utf8SequenceAt(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(text[i + k]);
    const unsigned char min = k == 1 ? low : 0x80, max = k == 1 ? high : 0xBF;
    if (byte < min || byte > max) return 0;
  }
  return length;
}

bool isUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8SequenceAt(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string fromCp1251(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    appendUtf8(out, byte < 0x80 ? char32_t{byte} : char32_t{kCp1251High[byte - 0x80]});
  }
  return out;
}

std::string entryText(std::string_view bytes) {
  return isUtf8(bytes) ? std::string(bytes) : fromCp1251(bytes);
}

// One character of a line: a whole UTF-8 sequence, or a single byte where there is none.
std::size_t characterAt(std::string_view line, std::size_t i) {
  return std::max<std::size_t>(1, utf8SequenceAt(line, i));
}

std::optional<int> readDecimal(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  int value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

// The value of a key: the character right after it, and the next one too when the line
// goes on and that one is not a blank. A one-digit value therefore ends at a blank or at
// the end of the line.
struct KeyValue {
  enum Kind { kMissing, kNone, kNotNumber, kNumber } kind = kMissing;
  int value = 0;
  std::string text;
};

KeyValue findValue(std::string_view line, std::string_view key) {
  KeyValue out;
  const std::size_t at = line.find(key);
  if (at == std::string_view::npos) return out;
  const std::size_t start = at + key.size();
  if (start >= line.size()) {
    out.kind = KeyValue::kNone;
    return out;
  }
  std::size_t end = start + characterAt(line, start);
  if (end < line.size() && line[end] != ' ') end += characterAt(line, end);
  out.text = std::string(line.substr(start, std::min(end, line.size()) - start));
  const auto number = readDecimal(out.text);
  out.kind = number ? KeyValue::kNumber : KeyValue::kNotNumber;
  out.value = number.value_or(0);
  return out;
}

PresetOutcome badValue(const KeyValue& found, std::string_view key) {
  if (found.kind == KeyValue::kNone) {
    return {PresetStatus::kBadValue, ite_text::kNoValuePrefix + std::string(key) + "'"};
  }
  return {PresetStatus::kBadValue, "'" + printable(found.text) + ite_text::kNotIntegerEnd};
}

constexpr std::string_view kKbPinsKey = "KB_pins=";
constexpr int kFewestKbPins = 24;

}  // namespace

std::vector<std::string> parsePresetEntries(std::string_view bytes) {
  std::vector<std::string> entries;
  std::string line;
  for (char c : bytes) {
    if (c == '\n') {
      entries.push_back(entryText(line));
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  return entries;
}

std::string presetFileMissingText(const std::string& path) {
  if (path == ite_text::kPresetFileAtDriveRoot) return ite_text::kPresetFileMissing;
  const auto slash = path.find_last_of(native::kSeparators);
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  return ite_text::kPresetFileMissingIn + printable(folder) + ite_text::kPresetFileMissingEnd;
}

PresetList loadPresetList(const std::string& path) {
  PresetList list;
  const auto file = loadListFile(path);
  if (!file) {
    list.fileMissing = true;
    list.items.push_back(presetFileMissingText(path));
    return list;
  }
  list.cut = file->cut;
  list.items.push_back(ite_text::kPresetPrompt);
  for (auto& entry : parsePresetEntries(file->text)) list.items.push_back(std::move(entry));
  return list;
}

PresetOutcome applyPreset(std::string_view line, PinAssignments& pins) {
  for (const int box : kPresetKeyOrder) {
    const PinBox& pinBox = kPinBoxes[box];
    const KeyValue found = findValue(line, pinBox.presetKey);
    if (found.kind == KeyValue::kMissing) {
      return {PresetStatus::kKeyMissing,
              ite_text::kNotFoundPrefix + std::string(pinBox.signalName) + ite_text::kMessageEnd};
    }
    if (found.kind != KeyValue::kNumber) return badValue(found, pinBox.presetKey);
    if (found.value < 1 || found.value > kHighestPin) {
      return {PresetStatus::kWrongPin,
              ite_text::kWrongPinPrefix + std::string(pinBox.signalName) + ite_text::kMessageEnd};
    }
    pins[box] = found.value;
  }
  return {};
}

PresetOutcome mirrorPins(std::string_view line, PinAssignments& pins) {
  const KeyValue found = findValue(line, kKbPinsKey);
  if (found.kind == KeyValue::kMissing) return {PresetStatus::kKeyMissing, ite_text::kNoKbPins};
  if (found.kind != KeyValue::kNumber) return badValue(found, kKbPinsKey);
  if (found.value < kFewestKbPins || found.value > kHighestPin) {
    return {PresetStatus::kWrongPin, ite_text::kWrongKbPins};
  }
  for (int& index : pins) {
    const int mirrored = index == kNoSelection ? kNoSelection : found.value - index + 1;
    index = mirrored >= 0 && mirrored <= kHighestPin ? mirrored : kNoSelection;
  }
  return {};
}

}  // namespace tarvex
