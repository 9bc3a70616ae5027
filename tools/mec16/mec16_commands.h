#pragma once
// The MEC16 firmware's commands, the controller registers the tool uses, the values written
// to them and the sizes of the replies and blocks.

#include <cstdint>

namespace tarvex::mec16 {

// Command letters.
inline constexpr std::uint8_t kAttach = '1';
inline constexpr std::uint8_t kReadIdCommand = 'j';
inline constexpr std::uint8_t kRegisterRead = 'r';
inline constexpr std::uint8_t kRegisterWrite = 'w';
inline constexpr std::uint8_t kReadStream = 'R';
inline constexpr std::uint8_t kWriteStream = 'W';
inline constexpr std::uint8_t kNextBlock = 'N';
inline constexpr std::uint8_t kEndStream = 'X';
inline constexpr std::uint8_t kRelease = '0';

// Controller registers (24-bit addresses).
inline constexpr std::uint32_t kRegRevision = 0xFFFD00;
inline constexpr std::uint32_t kRegFlashAddress = 0xFF3904;
inline constexpr std::uint32_t kRegFlashMode = 0xFF3908;
inline constexpr std::uint32_t kRegStatus = 0xFF390C;
inline constexpr std::uint32_t kRegAccess = 0xFF3910;

// Values written to them.
inline constexpr std::uint32_t kAccessOn = 1;
inline constexpr std::uint32_t kAccessOff = 0;
inline constexpr std::uint32_t kModeRead = 0x105;
inline constexpr std::uint32_t kModeProgram = 0x106;
inline constexpr std::uint32_t kModeErase = 0x107;
inline constexpr std::uint32_t kModeIdle = 0x100;
inline constexpr std::uint32_t kModeOff = 0;
inline constexpr std::uint32_t kEraseMain = 0x00F80000;
inline constexpr std::uint32_t kEraseMainAndInfo = 0x00FC0000;
inline constexpr std::uint32_t kWriteStart = 0;

// Bits of the status register's low byte.
inline constexpr std::uint8_t kStatusBusy = 0x01;
inline constexpr std::uint8_t kStatusBootLock = 0x08;
inline constexpr std::uint8_t kStatusFwp = 0x10;

// Replies and blocks.
inline constexpr std::uint32_t kIdBytes = 4;
inline constexpr std::uint32_t kRegisterReadReply = 5;
inline constexpr std::uint32_t kRegisterWriteReply = 1;
inline constexpr std::uint8_t kRegisterWriteDone = 0x01;
inline constexpr std::uint32_t kReadBlockData = 1024;
inline constexpr std::uint32_t kReadBlockBytes = kReadBlockData + 1;  // data and status byte
inline constexpr std::uint8_t kBlockGood = 0x01;
inline constexpr int kMainReadBlocks = 192;
inline constexpr int kInfoReadBlocks = 2;
inline constexpr std::uint32_t kMainAddress = 0x000000;
inline constexpr std::uint32_t kInfoAddress = 0x040000;
inline constexpr std::uint32_t kWriteBlockBytes = 256;
inline constexpr int kMainWriteBlocks = 768;
inline constexpr std::uint8_t kBlockProgrammed = 'G';
inline constexpr std::uint8_t kErasedByte = 0xFF;
inline constexpr std::uint64_t kMainBytes = 192ull * 1024;

}  // namespace tarvex::mec16
