#include "tools/kb90/wiring.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/printable.h"
#include "tools/kb90/kb90_messages.h"

namespace tarvex::kb90 {
namespace {

// The length of the UTF-8 character starting at pos, so a value never ends inside one.
std::size_t charLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
  }
  return std::min(length, text.size() - pos);
}

// One or two characters of decimal digits; anything else is not an integer.
std::optional<int> decimal(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The first one or two characters of text (fewer when it is shorter).
std::string_view leadingChars(std::string_view text, int count) {
  std::size_t end = 0;
  for (int i = 0; i < count && end < text.size(); ++i) end += charLength(text, end);
  return text.substr(0, end);
}

WiringOutcome label(std::string text) { return {WiringOutcome::Kind::kLabel, std::move(text)}; }
WiringOutcome errorBox(std::string text) {
  return {WiringOutcome::Kind::kErrorBox, std::move(text)};
}

}  // namespace

std::string notIntegerMessage(std::string_view value) {
  return std::string(text::kNotIntegerBefore) + printable(value) + text::kNotIntegerAfter;
}

PinValue findPin(std::string_view entry, std::string_view key) {
  const std::size_t at = entry.find(key);
  if (at == std::string_view::npos) return {};
  const std::size_t start = at + key.size();
  std::size_t end = start;
  if (end < entry.size()) {
    end += charLength(entry, end);
    if (end < entry.size() && entry[end] != ' ') end += charLength(entry, end);
  }
  PinValue value;
  value.text = std::string(entry.substr(start, end - start));
  if (const auto number = decimal(value.text)) {
    value.status = PinValue::Status::kPin;
    value.pin = *number;
  } else {
    value.status = PinValue::Status::kNotInteger;
  }
  return value;
}

WiringOutcome evaluateWiring(std::string_view entry, std::string_view cable, bool straight) {
  std::vector<int> pins;
  for (const auto& signal : kWiringSignals) {
    const PinValue value = findPin(entry, signal.key);
    switch (value.status) {
      case PinValue::Status::kMissing:
        return label(text::kDataFormatError);
      case PinValue::Status::kNotInteger:
        return errorBox(notIntegerMessage(value.text));
      case PinValue::Status::kPin:
        break;
    }
    // Connector pins count from 1; a pin 0 would turn into a cable pin that does not
    // exist, so the entry is as malformed as one missing the key.
    if (value.pin < 1) return label(text::kDataFormatError);
    pins.push_back(value.pin);
  }

  const std::string_view cableCount = leadingChars(cable, 2);
  const auto cablePins = decimal(cableCount);
  if (!cablePins) return errorBox(notIntegerMessage(cableCount));
  for (int pin : pins) {
    if (pin > *cablePins) return label(text::kCableTooSmall);
  }

  std::string result = text::kConnectPrefix;
  for (std::size_t i = 0; i < pins.size(); ++i) {
    const int cablePin = straight ? pins[i] : *cablePins - pins[i] + 1;
    result += ' ';
    result += kWiringSignals[i].line;
    result += std::to_string(cablePin);
  }
  return label(result);
}

}  // namespace tarvex::kb90
