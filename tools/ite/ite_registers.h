#pragma once
// The IT85xx registers the tool touches and the register write sequences of the read and
// the write, each with the step code its failure message carries.

#include <cstdint>

namespace tarvex::ite_reg {

inline constexpr std::uint8_t kId1 = 0x00;
inline constexpr std::uint8_t kId2 = 0x01;
inline constexpr std::uint8_t kRevision = 0x02;

struct RegisterWrite {
  std::uint8_t reg;
  std::uint8_t value;
  const char* code;  // shown in parentheses when the cycle fails
};

// Register 05h opens (FDh) and closes (FEh) a flash command; each byte written to 08h
// while one is open goes to the flash. After every close the tool writes 00h to 08h.
inline constexpr std::uint8_t kFlashControl = 0x05;
inline constexpr std::uint8_t kFlashData = 0x08;
inline constexpr std::uint8_t kOpenCommand = 0xFD;
inline constexpr std::uint8_t kCloseCommand = 0xFE;

// Flash opcodes (the common serial-flash command set).
inline constexpr std::uint8_t kWriteEnable = 0x06;
inline constexpr std::uint8_t kChipErase = 0x60;
inline constexpr std::uint8_t kChipEraseAlt = 0xC7;
inline constexpr std::uint8_t kFastRead = 0x0B;

// Read: the entry into flash mode, then a fast read from address 0, left open so the
// page reads continue it.
inline constexpr RegisterWrite kReadSetup[] = {
    {0x27, 0x01, "20"}, {0x27, 0x80, "21"}, {0x04, 0xFF, "22"}, {0x07, 0x7F, "23"},
    {0x06, 0xFF, "24"}, {0x05, 0xFE, "25"}, {0x08, 0x00, "26"}, {0x05, 0xFD, "27"},
    {0x08, kFastRead, "28"}, {0x08, 0x00, "29"}, {0x08, 0x00, "2A"}, {0x08, 0x00, "2B"},
    {0x08, 0x00, "2C"},
};

// Write: the entry into flash mode.
inline constexpr RegisterWrite kWriteEntry[] = {
    {0x27, 0x01, "T001"}, {0x27, 0x80, "T002"}, {0x04, 0xFF, "T003"},
    {0x07, 0x7F, "T004"}, {0x06, 0xFF, "T005"},
};

// Write: close any command, then write enable.
inline constexpr RegisterWrite kWriteEnableSteps[] = {
    {0x05, 0xFE, "T006"}, {0x08, 0x00, "T007"}, {0x05, 0xFD, "T008"},
    {0x08, kWriteEnable, "T009"}, {0x05, 0xFE, "T010"}, {0x08, 0x00, "T011"},
};

// Write: both chip-erase forms; the second reuses the first one's codes.
inline constexpr RegisterWrite kEraseSteps[] = {
    {0x05, 0xFD, "T012"}, {0x08, kChipErase, "T013"}, {0x05, 0xFE, "T014"}, {0x08, 0x00, "T015"},
    {0x05, 0xFD, "T012"}, {0x08, kChipEraseAlt, "T013"}, {0x05, 0xFE, "T014"}, {0x08, 0x00, "T015"},
};

}  // namespace tarvex::ite_reg
