#pragma once
// The 15 pin boxes: which controller signal each one carries, how a preset line names it,
// and how the settings exchange sends it. A box holds an index: 0 for "NC", 1..32 for a
// keyboard-connector pin, or kNoSelection when its text is not one of the list's items.

#include <array>
#include <cstdint>

#include "frame/tool_view.h"

namespace tarvex {

inline constexpr int kPinBoxCount = 15;
inline constexpr int kNoSelection = -1;
inline constexpr int kHighestPin = 32;

// Box index (0 = ComboBox1) to its selected index.
using PinAssignments = std::array<int, kPinBoxCount>;

struct PinBox {
  const char* label;       // shown beside the box; package pins, for orientation only
  Rgb labelColor;
  const char* presetKey;   // found in a preset line, value right after it
  const char* signalName;  // as the preset messages name it
  char code[2];            // the two letters of its settings command
};

namespace pin_colors {
inline constexpr Rgb kData{0x00, 0x80, 0x00};
inline constexpr Rgb kStrobe{0xFF, 0x00, 0x00};
inline constexpr Rgb kBusy{0x00, 0x00, 0xFF};
inline constexpr Rgb kScan{0x00, 0x00, 0x00};
}  // namespace pin_colors

inline constexpr std::array<PinBox, kPinBoxCount> kPinBoxes = {{
    {"PD0 (pin 36 KSO0)", pin_colors::kData, "PD0=", "PD0", {'d', '0'}},
    {"PD1 (pin 37 KSO1)", pin_colors::kData, "PD1=", "PD1", {'d', '1'}},
    {"PD2 (pin 38 KSO2)", pin_colors::kData, "PD2=", "PD2", {'d', '2'}},
    {"PD3 (pin 39 KSO3)", pin_colors::kData, "PD3=", "PD3", {'d', '3'}},
    {"PD4 (pin 40 KSO4)", pin_colors::kData, "PD4=", "PD4", {'d', '4'}},
    {"PD5 (pin 41 KSO5)", pin_colors::kData, "PD5=", "PD5", {'d', '5'}},
    {"PD6 (pin 42 KSO6)", pin_colors::kData, "PD6=", "PD6", {'d', '6'}},
    {"PD7 (pin 43 KSO7)", pin_colors::kData, "PD7=", "PD7", {'d', '7'}},
    {"STB# (58 KSI0) WR/RD 0/1", pin_colors::kStrobe, "STB=", "STB#", {'W', 'R'}},
    {"AFD# (59 KSI1) DS", pin_colors::kStrobe, "AFD=", "AFD#", {'D', 'S'}},
    {"SLIN# (61 KSI3) AS", pin_colors::kStrobe, "SLIN=", "SLIN#", {'A', 'S'}},
    {"INIT# (60 KSI2) IN", pin_colors::kStrobe, "INIT=", "INIT#", {'I', 'N'}},
    {"BUSY (pin 45 KSO9)", pin_colors::kBusy, "BUSY=", "BUSY", {'B', 'L'}},
    {"KSI4 (pin 62)", pin_colors::kScan, "KSI4=", "KSI4", {'K', '4'}},
    {"KSI5 (pin 63)", pin_colors::kScan, "KSI5=", "KSI5", {'K', '5'}},
}};

// The order in which a preset's keys are taken: data lines, then BUSY and the strobes.
inline constexpr std::array<int, kPinBoxCount> kPresetKeyOrder = {0, 1, 2,  3, 4,  5,  6, 7,
                                                                  12, 8, 9, 11, 10, 13, 14};

// The order in which the settings exchange sends the boxes: control lines first.
inline constexpr std::array<int, kPinBoxCount> kSendOrder = {11, 9, 10, 8, 13, 14, 12, 0,
                                                             1,  2, 3,  4, 5,  6,  7};

// The byte a box goes out as: its index, FFh for a box without a selection.
inline std::uint8_t settingsByte(int index) {
  return index >= 0 && index <= kHighestPin ? static_cast<std::uint8_t>(index) : 0xFF;
}

}  // namespace tarvex
