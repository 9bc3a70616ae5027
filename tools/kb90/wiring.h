#pragma once
// The wiring help: from a mainboard's base-file entry, the cable's pin count and its
// orientation, which cable pin goes to which of the adapter's lines A to E.
//
// Each of the keys "KSO3=", "KSI4=", "KSI7=", "KSI6=", "KSI5=" is found by plain,
// case-sensitive search (the first occurrence counts). Its value is the character after
// '=', plus the next one when the entry goes on and that character is not a space; the
// one or two characters must be a decimal number, a connector pin counted from 1.

#include <string>
#include <string_view>

namespace tarvex::kb90 {

// The controller signals in the order they are looked up, and the adapter line each
// one goes to.
struct WiringSignal {
  const char* key;
  char line;
};
inline constexpr WiringSignal kWiringSignals[] = {
    {"KSO3=", 'A'}, {"KSI4=", 'B'}, {"KSI7=", 'C'}, {"KSI6=", 'D'}, {"KSI5=", 'E'},
};

struct PinValue {
  enum class Status {
    kPin,         // pin holds the number
    kMissing,     // the key is not in the entry
    kNotInteger,  // text holds what stood after '=' and is not a number
  };
  Status status = Status::kMissing;
  int pin = 0;
  std::string text;
};

PinValue findPin(std::string_view entry, std::string_view key);

// The evaluation either sets the result label or stops with a message box, leaving the
// label as it was.
struct WiringOutcome {
  enum class Kind { kLabel, kErrorBox };
  Kind kind = Kind::kLabel;
  std::string text;
};

// entry: the mainboard combo box's text; cable: the cable combo box's text ("24 pin");
// straight: pin 1 of the cable sits on pin 1 of the connector.
WiringOutcome evaluateWiring(std::string_view entry, std::string_view cable, bool straight);

// The message box text for a value that is not a number.
std::string notIntegerMessage(std::string_view value);

}  // namespace tarvex::kb90
