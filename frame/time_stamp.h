#pragma once
// The time stamp lines that open and close each streamed operation.

#include <string>

namespace tarvex {

inline constexpr const char* kStampCurrentTime = "Current time  ";
inline constexpr const char* kStampRussian = "Текущее время  ";

// The stamp word followed by the local time of day, hours, minutes and seconds.
std::string timeStampLine(const std::string& stampWord);

}  // namespace tarvex
