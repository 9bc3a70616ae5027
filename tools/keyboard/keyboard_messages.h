#pragma once
// Every text the keyboard tester shows: window and control captions, mode words and the
// lines it adds to the link's messages in its log.

#include <array>

namespace tarvex::keyboard::text {

inline constexpr const char* kWindowCaption = "Keyboard_testing";

// Operation mode word while scanning ("NONE" when idle, as every tool).
inline constexpr const char* kModeScanning = "Keyboard";

inline constexpr const char* kExit = "EXIT";
inline constexpr const char* kStop = "STOP";
inline constexpr const char* kStartScan = "START SCAN";
inline constexpr const char* kClear = "Clear";
inline constexpr const char* kNoSound = " No sound";

// Column pin numbers above the grid, spaced to stand over their columns.
inline constexpr const char* kColumnLabels =
    "2       6        11        16        21        26        31";
// Row pin numbers right of the grid, beside rows 1, 6, 11, 16, 21, 26 and 31.
inline constexpr std::array<int, 7> kLabelledRows{1, 6, 11, 16, 21, 26, 31};

// Why a scan ended other than by STOP.
inline constexpr const char* kAdapterSilent = "The programmer does not respond, scanning stopped.";
inline constexpr const char* kLinkLost =
    "Connection with the programmer is lost, scanning stopped.";
inline constexpr const char* kTimerStopped = "The scan timer has stopped, scanning stopped.";
// A reply that does not fit the reply buffer: the pairs in its first part still count.
inline constexpr const char* kReplyTooLong =
    "The reply is longer than 1024 bytes, the rest of it is dropped.";

// A pair reported before a key can have been pressed: "Pins 3-7 connected at start: ...".
inline constexpr const char* kPinsPrefix = "Pins ";
inline constexpr const char* kConnectedAtStart =
    " connected at start: shorted lines or a stuck key.";
// When a scan ends: "Scan summary: 2 distinct pin pairs seen: 1-2, 3-7 (connected at start)".
inline constexpr const char* kSummaryNone = "Scan summary: no pin pair seen.";
inline constexpr const char* kSummaryPrefix = "Scan summary: ";
inline constexpr const char* kSummaryOne = " distinct pin pair seen: ";
inline constexpr const char* kSummaryMany = " distinct pin pairs seen: ";
inline constexpr const char* kSummaryAtStart = " (connected at start)";

}  // namespace tarvex::keyboard::text
