#pragma once
// The ITE firmware's commands and replies. Letters shared with other firmwares ('R', 'W',
// 'S', 'Q') mean what they mean here only when the ITE tool sends them.

#include <cstdint>

namespace tarvex::ite_cmd {

// Settings exchange.
inline constexpr std::uint8_t kSettings = 'S';
inline constexpr std::uint8_t kSettingsReady = '*';
inline constexpr std::uint8_t kFinish = 'Q';  // sent three times
inline constexpr std::uint8_t kAccepted = '+';

// Controller access.
inline constexpr std::uint8_t kAttach = 'T';
inline constexpr std::uint8_t kSelectRegister = 'A';
inline constexpr std::uint8_t kWriteRegister = 'W';
inline constexpr std::uint8_t kReadRegister = 'R';
inline constexpr std::uint8_t kPageRead = 'r';
inline constexpr std::uint8_t kFlashAddress = 'Y';
inline constexpr std::uint8_t kFlashByte = 'w';

inline constexpr std::uint8_t kDone = 'o';          // the controller did it
inline constexpr std::uint8_t kNoController = 'e';  // a register select got no answer

// A page reply: 256 flash bytes and a status byte ('o' when the page is good).
inline constexpr std::uint32_t kPageBytes = 256;
inline constexpr std::uint32_t kPageReply = kPageBytes + 1;

}  // namespace tarvex::ite_cmd
