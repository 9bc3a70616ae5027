// The wiring help on one mainboard entry and a cable text, both as typed into the window's
// editable boxes. Input: the first byte picks the orientation ('s' straight, anything else
// reversed), the rest of the first line is the cable text, what follows is the entry.
//
// Whatever the text, the help either shows a message or five cable pins that exist on the
// chosen cable, and the two orientations mirror each other.

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "tools/kb90/kb90_messages.h"
#include "tools/kb90/wiring.h"

using namespace tarvex;

namespace {

// The five numbers after "A".."E" in a result label.
std::vector<int> cablePins(const std::string& label) {
  std::vector<int> pins;
  const std::string_view rest = std::string_view(label).substr(std::strlen(kb90::text::kConnectPrefix));
  std::size_t i = 0;
  while (i < rest.size()) {
    FUZZ_CHECK(rest[i] == ' ');
    FUZZ_CHECK(i + 1 < rest.size());
    const char line = rest[i + 1];
    FUZZ_CHECK(line >= 'A' && line <= 'E');
    std::size_t end = i + 2;
    int value = 0;
    while (end < rest.size() && rest[end] >= '0' && rest[end] <= '9') {
      value = value * 10 + (rest[end] - '0');
      ++end;
    }
    FUZZ_CHECK(end > i + 2);
    pins.push_back(value);
    i = end;
  }
  return pins;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const bool straight = input[0] == 's';
  const std::size_t lineEnd = input.find('\n');
  const std::string_view cable =
      input.substr(1, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - 1);
  const std::string_view entry =
      lineEnd == std::string_view::npos ? std::string_view{} : input.substr(lineEnd + 1);

  const auto outcome = kb90::evaluateWiring(entry, cable, straight);
  FUZZ_CHECK(!outcome.text.empty());
  const bool isResult = outcome.kind == kb90::WiringOutcome::Kind::kLabel &&
                        outcome.text.rfind(kb90::text::kConnectPrefix, 0) == 0;
  if (!isResult) return 0;

  // A result needs a cable size of one or two leading digits; every pin it names is on
  // that cable.
  int cableSize = 0;
  for (std::size_t i = 0; i < cable.size() && i < 2; ++i) {
    FUZZ_CHECK(cable[i] >= '0' && cable[i] <= '9');
    cableSize = cableSize * 10 + (cable[i] - '0');
  }
  const std::vector<int> pins = cablePins(outcome.text);
  FUZZ_CHECK(pins.size() == 5);
  for (int pin : pins) FUZZ_CHECK(pin >= 1 && pin <= cableSize);

  // The other orientation names the mirrored pins on the same cable.
  const auto other = kb90::evaluateWiring(entry, cable, !straight);
  FUZZ_CHECK(other.kind == outcome.kind);
  const std::vector<int> mirrored = cablePins(other.text);
  FUZZ_CHECK(mirrored.size() == 5);
  for (std::size_t i = 0; i < 5; ++i) FUZZ_CHECK(mirrored[i] == cableSize - pins[i] + 1);
  return 0;
}
