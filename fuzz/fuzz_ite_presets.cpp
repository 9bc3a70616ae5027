// The ITE presets file and what its lines do to the pin boxes: any bytes at the fixed path
// become preset lines (read through the loader and parsed directly, which must agree), each applied to the boxes and mirrored twice, as a user picking a
// preset and clicking the orientation box would.

#include <algorithm>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "tools/ite/presets.h"

using namespace tarvex;

namespace {

bool inBoxRange(int index) { return index == kNoSelection || (index >= 0 && index <= kHighestPin); }

PinAssignments startingPins(std::size_t salt) {
  // Boxes as a user may have left them: no selection, "NC" and pins across the range.
  PinAssignments pins{};
  for (int i = 0; i < kPinBoxCount; ++i) {
    pins[i] = static_cast<int>((salt + 7 * i) % (kHighestPin + 2)) - 1;
  }
  return pins;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = parsePresetEntries(bytes);
  FUZZ_CHECK(entries.size() == fuzz::countOf(bytes, '\n'));
  // The loader puts the prompt first, then the same entries.
  const PresetList list = loadPresetList(fuzz::writeScratchFile(bytes));
  FUZZ_CHECK(!list.fileMissing && list.items.size() == entries.size() + 1);
  FUZZ_CHECK(std::equal(entries.begin(), entries.end(), list.items.begin() + 1));

  std::size_t salt = 0;
  for (const std::string& line : entries) {
    FUZZ_CHECK(line.find('\n') == std::string::npos && line.find('\r') == std::string::npos);
    FUZZ_CHECK(fuzz::wellFormedUtf8(line));
    if (++salt > 16) continue;  // a long file adds nothing new per line

    PinAssignments pins = startingPins(salt);
    const PresetOutcome applied = applyPreset(line, pins);
    for (int index : pins) FUZZ_CHECK(inBoxRange(index));
    if (applied.status == PresetStatus::kApplied) {
      FUZZ_CHECK(applied.message.empty());
      // A preset that applies names a connector pin for every box.
      for (int index : pins) FUZZ_CHECK(index >= 1 && index <= kHighestPin);
    } else {
      FUZZ_CHECK(!applied.message.empty());
      FUZZ_CHECK(fuzz::wellFormedUtf8(applied.message));
    }

    // Mirroring is its own inverse for every box whose mirror image is on the list; a box
    // mirrored off the list ends with no selection.
    const PinAssignments before = pins;
    const PresetOutcome once = mirrorPins(line, pins);
    for (int index : pins) FUZZ_CHECK(inBoxRange(index));
    if (once.status != PresetStatus::kApplied) {
      FUZZ_CHECK(pins == before);
      FUZZ_CHECK(!once.message.empty() && fuzz::wellFormedUtf8(once.message));
      continue;
    }
    const PinAssignments mirrored = pins;
    const PresetOutcome twice = mirrorPins(line, pins);
    FUZZ_CHECK(twice.status == PresetStatus::kApplied);
    for (int i = 0; i < kPinBoxCount; ++i) {
      if (mirrored[i] != kNoSelection) FUZZ_CHECK(pins[i] == before[i]);
      if (before[i] == kNoSelection) FUZZ_CHECK(pins[i] == kNoSelection);
    }
  }
  return 0;
}
