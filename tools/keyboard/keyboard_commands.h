#pragma once
// The keyboard tester's adapter commands (one byte each, no arguments) and the bytes of
// the scan replies.

#include <cstdint>

namespace tarvex::keyboard {

namespace cmd {
inline constexpr std::uint8_t kStartScan = 'u';  // start scanning; one reply follows
inline constexpr std::uint8_t kNextReply = 'U';  // send the next reply
inline constexpr std::uint8_t kBuzzer = 'I';     // the success signal, here one beep
inline constexpr std::uint8_t kEndScan = 'Q';    // end scanning; the link closes after it
}  // namespace cmd

namespace reply {
inline constexpr std::uint8_t kRecordStart = '>';  // opens a pair record
inline constexpr std::uint8_t kEnd = '&';          // ends every reply
}  // namespace reply

}  // namespace tarvex::keyboard
