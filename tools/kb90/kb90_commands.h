#pragma once
// The KB90xx firmware's commands and the shape of its transfers. The adapter's shared
// commands ('B', 'I', 'O') are in link/adapter_commands.h.

#include <cstdint>

namespace tarvex::kb90 {

inline constexpr std::uint8_t kConnect = 'V';     // answered by the debug version ID
inline constexpr std::uint8_t kReadStream = 'R';  // answered by block 1
inline constexpr std::uint8_t kWriteStream = 'W'; // answered by a ready byte
inline constexpr std::uint8_t kNextBlock = 'N';   // next block (read) or ready byte (write)
inline constexpr std::uint8_t kEndStream = 'X';   // no answer
inline constexpr std::uint8_t kChecksums = 'S';   // 512 '-' then sum and CRC, low bytes first
inline constexpr std::uint8_t kChecksumTick = '-';

// The controller's answer to 'V' when no controller is there.
inline constexpr std::uint8_t kNoController = 0xFF;

inline constexpr int kBlockSize = 256;
inline constexpr int kBlocks = 512;
inline constexpr int kImageSize = kBlockSize * kBlocks;  // 128 KiB
inline constexpr int kChecksumReplySize = 4;

inline constexpr int kGaugeMaximum = 32768;

// Operation mode words.
inline constexpr const char* kModeReading = "Reading";
inline constexpr const char* kModeWriting = "Writing";

}  // namespace tarvex::kb90
