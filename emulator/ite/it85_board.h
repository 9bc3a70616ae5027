#pragma once
// An IT85xx controller on a simulated mainboard, behind the adapter's ITE firmware.
//
// The firmware keeps the 15 signal-to-pin assignments the host sends it (they survive
// closing and reopening the device, as on the real adapter) and reaches the controller
// through the keyboard connector only when those assignments match how the board is
// wired and the board is powered. The controller offers its identification registers,
// the flash-mode entry registers and a serial flash behind its command registers; the
// firmware adds page reads of an open fast read and byte programming of its own.

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "emulator/firmware_port.h"
#include "emulator/ite/serial_flash.h"

namespace tarvex::emu {

class It85Board final : public CommandHandler {
 public:
  enum Signal : int {
    kPd0, kPd1, kPd2, kPd3, kPd4, kPd5, kPd6, kPd7,
    kStb, kAfd, kInit, kSlin, kBusy, kKsi4, kKsi5,
    kSignalCount
  };
  // Connector pin (1..32) per signal, in the order above.
  using Wiring = std::array<std::uint8_t, kSignalCount>;
  // What the firmware holds per signal: the byte last sent, or nothing before any.
  using Assignments = std::array<std::optional<std::uint8_t>, kSignalCount>;

  // Faults the board and firmware show on request. Counts are per open, from 1.
  struct Faults {
    bool settingsRefused = false;                // 'S' answered with something else than '*'
    std::optional<int> assignmentRejectedAt;     // that assignment is not answered '+'
    bool attachSilent = false;                   // 'T' never answered
    // The user plugging the cable in: past kAttachWindow the firmware has given up.
    std::chrono::microseconds attachDelay{0};
    std::optional<int> selectFailsAt;            // that register select answers 'e'
    // A write of this value to this register is answered 'e' (and not done).
    std::optional<std::pair<std::uint8_t, std::uint8_t>> writeFails;
    std::optional<int> badPageStatusAt;          // that page ends with 'e' instead of 'o'
    std::optional<int> addressRefusedAt;         // that flash address is answered 'e'
    std::optional<int> flashByteRefusedAt;       // that flash byte is answered 'e'
    std::optional<int> lateFlashByteAt;          // that flash byte is acknowledged late
    std::chrono::microseconds lateBy{400000};
    // Every register select that reaches the controller is answered with this byte
    // instead of 'o' (the register is selected all the same).
    std::optional<std::uint8_t> selectReply;
  };

  // After 'T' the firmware keeps trying to reach the controller this long (the user
  // plugging the cable in meanwhile) before it answers that nothing answered.
  static constexpr std::chrono::seconds kAttachWindow{5};

  explicit It85Board(Wiring wiring);

  // The same board with its cable plugged the other way round on a kbPins connector.
  static Wiring mirrored(const Wiring& wiring, int kbPins);

  void setWiring(const Wiring& wiring);
  void setPowered(bool powered);
  void setIdentity(std::uint8_t id1, std::uint8_t id2, std::uint8_t revision);
  void setFaults(const Faults& faults);
  void setEraseTime(std::chrono::microseconds time);
  // Faults of the serial flash's cells.
  void setChipFaults(ChipFaults faults);

  Assignments assignments() const;
  std::vector<std::uint8_t> flash() const;  // as a read sees it
  void setFlash(const std::vector<std::uint8_t>& image);  // padded with FFh
  int eraseCount() const;
  int programmedBytes() const;  // flash bytes programmed during the last open

  bool handles(std::uint8_t command) const override;
  void handle(std::uint8_t command, FirmwarePort& port) override;
  void reset() override;

 private:
  void settings(FirmwarePort& port);
  void attach(FirmwarePort& port);
  void select(FirmwarePort& port);
  void writeRegister(FirmwarePort& port);
  void readRegister(FirmwarePort& port);
  void pageRead(FirmwarePort& port);
  void flashAddress(FirmwarePort& port);
  void flashByte(FirmwarePort& port);
  void applyRegisterWrite(std::uint8_t reg, std::uint8_t value);
  bool wiredLocked() const;
  bool flashModeLocked() const;
  std::chrono::microseconds busyLeftLocked() const;

  mutable std::mutex mutex_;
  Wiring wiring_;
  Assignments assignments_{};
  bool powered_ = true;
  std::array<std::uint8_t, 3> identity_{0x85, 0x02, 0x01};
  Faults faults_;
  SerialFlash flash_;

  // State of one open.
  bool attached_ = false;
  int entryStep_ = 0;
  std::optional<std::uint8_t> selected_;
  std::array<std::uint8_t, 256> registers_{};
  std::optional<std::uint32_t> programAddress_;
  int assignmentCount_ = 0;
  int selectCount_ = 0;
  int pageCount_ = 0;
  int addressCount_ = 0;
  int flashByteCount_ = 0;
  int programmed_ = 0;
};

}  // namespace tarvex::emu
