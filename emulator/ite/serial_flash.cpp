#include "emulator/ite/serial_flash.h"

#include <algorithm>

namespace tarvex::emu {
namespace {

constexpr std::uint8_t kWriteEnable = 0x06;
constexpr std::uint8_t kChipErase = 0x60;
constexpr std::uint8_t kChipEraseAlt = 0xC7;
constexpr std::uint8_t kFastRead = 0x0B;
// Opcode, three address bytes and one dummy byte: then data flows out.
constexpr std::size_t kFastReadHeader = 5;

}  // namespace

SerialFlash::SerialFlash() : memory_(kSize, 0xFF) {}

void SerialFlash::select() {
  selected_ = true;
  command_.clear();
}

void SerialFlash::deselect() {
  if (selected_) runCommand();
  selected_ = false;
  command_.clear();
}

void SerialFlash::shiftIn(std::uint8_t byte) {
  if (!selected_) return;  // bytes with the chip deselected go nowhere
  if (command_.size() < kFastReadHeader) command_.push_back(byte);
  if (command_.size() == kFastReadHeader && command_[0] == kFastRead) {
    readAddress_ = ((command_[1] << 16) | (command_[2] << 8) | command_[3]) % kSize;
  }
}

bool SerialFlash::fastReadOpen() const {
  return selected_ && command_.size() == kFastReadHeader && command_[0] == kFastRead;
}

std::uint8_t SerialFlash::shiftOut() {
  if (!fastReadOpen()) return 0xFF;
  const std::uint8_t byte = faults_.seen(readAddress_, memory_[readAddress_]);
  readAddress_ = (readAddress_ + 1) % kSize;
  return byte;
}

void SerialFlash::program(std::uint32_t address, std::uint8_t value) {
  const std::uint32_t cell = address % kSize;
  memory_[cell] = faults_.stored(cell, memory_[cell] & value);
}

void SerialFlash::resetInterface() {
  selected_ = false;
  writeEnabled_ = false;
  command_.clear();
}

void SerialFlash::runCommand() {
  if (command_.empty()) return;
  switch (command_[0]) {
    case kWriteEnable:
      if (command_.size() == 1) writeEnabled_ = true;
      break;
    case kChipErase:
    case kChipEraseAlt:
      // Erasing needs write enable, and uses it up, as the flash parts do.
      if (command_.size() == 1 && writeEnabled_) {
        faults_.erase(memory_);
        ++eraseCount_;
        busyUntil_ = std::chrono::steady_clock::now() + eraseTime_;
      }
      writeEnabled_ = false;
      break;
    default:
      break;
  }
}

}  // namespace tarvex::emu
