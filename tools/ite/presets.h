#pragma once
// The presets file and what a preset line does to the pin boxes. Plain functions that take
// any bytes and any line: whatever a file holds, they report and never fail hard.

#include <string>
#include <string_view>
#include <vector>

#include "tools/ite/pin_boxes.h"

namespace tarvex {

// The entries of a presets file: each LF ends one, CR bytes are dropped wherever they
// stand, and bytes after the last LF are not an entry. Entries come back as UTF-8: a line
// that is not UTF-8 already is read as Windows-1251, the code page such files are kept in.
std::vector<std::string> parsePresetEntries(std::string_view bytes);

// The items of the preset list: the prompt and one item per entry, or only the missing-file
// item when the file cannot be read or is not a regular file.
struct PresetList {
  std::vector<std::string> items;
  bool fileMissing = false;
  bool cut = false;  // the file is longer than kListFileMaxBytes: the rest is not read
};
PresetList loadPresetList(const std::string& path);

// The missing-file item for a file looked for at path: the notice that names the root of
// the C: drive where the file is kept there, else the same notice naming the folder.
std::string presetFileMissingText(const std::string& path);

enum class PresetStatus {
  kApplied,
  kKeyMissing,  // a key is not in the line: message is the log line
  kWrongPin,    // a value out of range: message is the log line
  kBadValue,    // a value that does not read as a number, or none: message for a message box
};
struct PresetOutcome {
  PresetStatus status = PresetStatus::kApplied;
  std::string message;
};

// Sets the boxes from the line's keys in their fixed order, up to the first key that is
// missing or out of 1..32; the boxes before it keep the line's values.
PresetOutcome applyPreset(std::string_view line, PinAssignments& pins);

// Turns the assignments round for a cable plugged the other way: pin p becomes
// KB_pins + 1 - p, with KB_pins (24..32) from the line. Applying it twice restores them.
PresetOutcome mirrorPins(std::string_view line, PinAssignments& pins);

}  // namespace tarvex
