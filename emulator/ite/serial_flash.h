#pragma once
// The 128 KiB serial flash inside the emulated IT85xx, reached through the controller's
// flash command registers: a chip select (opened and closed by the host) and a data port
// that shifts one byte at a time. It understands write enable, the two chip-erase forms
// and the fast read; programming goes through the adapter's own byte path.

#include <chrono>
#include <cstdint>
#include <vector>

#include "emulator/chip_faults.h"

namespace tarvex::emu {

class SerialFlash {
 public:
  static constexpr std::uint32_t kSize = 128 * 1024;

  SerialFlash();

  // The host opens a flash command (chip select active) and closes it again; a closed
  // command runs what it asked for (write enable, erase).
  void select();
  void deselect();
  void shiftIn(std::uint8_t byte);

  // A fast read left open: the next bytes come from the address it gave, onward.
  bool fastReadOpen() const;
  std::uint8_t shiftOut();

  // Byte programming: bits can only go from 1 to 0, as on real flash.
  void program(std::uint32_t address, std::uint8_t value);

  bool writeEnabled() const { return writeEnabled_; }
  // How many chip erases ran, and when the last one finishes.
  int eraseCount() const { return eraseCount_; }
  std::chrono::steady_clock::time_point busyUntil() const { return busyUntil_; }
  void setEraseTime(std::chrono::microseconds time) { eraseTime_ = time; }

  // The chip's idle state after a power cycle of its interface (contents stay).
  void resetInterface();

  void setFaults(ChipFaults faults) { faults_ = std::move(faults); }
  // The cells as a read sees them.
  std::vector<std::uint8_t> seenContents() const { return faults_.seenAll(memory_); }

  std::vector<std::uint8_t>& contents() { return memory_; }
  const std::vector<std::uint8_t>& contents() const { return memory_; }

 private:
  void runCommand();

  std::vector<std::uint8_t> memory_;
  ChipFaults faults_;
  std::vector<std::uint8_t> command_;
  bool selected_ = false;
  bool writeEnabled_ = false;
  std::uint32_t readAddress_ = 0;
  int eraseCount_ = 0;
  std::chrono::microseconds eraseTime_{0};
  std::chrono::steady_clock::time_point busyUntil_{};
};

}  // namespace tarvex::emu
