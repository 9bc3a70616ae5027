#pragma once
// The panel's 256-byte EDID EEPROM as the adapter firmware reaches it over I2C.
//
//   'E','r'  -> the 256 bytes, then 'O','K'; with no panel answering, 256 bytes of FFh
//               (the idle bus) and 'E','R'.
//   'E','w'  -> one byte ('R', ready); the firmware then takes 256 bytes and answers
//               'O','K' once they are programmed, or 'E','R' when no panel answers or its
//               write-protect pin holds the chip.
//
// Replies leave in pieces of random size with short random gaps, as a real USB bridge
// hands them over; the generator is seeded so a test sees the same split every run.

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <vector>

#include "emulator/chip_faults.h"
#include "emulator/firmware_port.h"

namespace tarvex::emu {

class PanelEeprom final : public CommandHandler {
 public:
  using Contents = std::array<std::uint8_t, 256>;

  struct Timing {
    std::size_t pieceMin = 1;
    std::size_t pieceMax = 64;
    std::chrono::microseconds gapMax{300};    // each gap between pieces is 0..gapMax
    std::chrono::microseconds writeTime{5000};  // programming all 256 bytes
  };

  explicit PanelEeprom(const Contents& contents, std::uint32_t seed = 1);
  PanelEeprom();  // an erased chip: all FFh

  Contents contents() const;  // as a read sees it
  void setContents(const Contents& contents);
  void setPanelPresent(bool present);
  void setWriteProtected(bool on);
  void setTiming(const Timing& timing);
  // Restarts the piece generator, so the next replies split the same way every run.
  void setSeed(std::uint32_t seed);
  // A confused firmware: every status pair is these two letters instead of the real one.
  void setStatusOverride(std::optional<std::array<std::uint8_t, 2>> letters);
  // Faults of the cells. An EEPROM erases each byte before it programs it; where that
  // erase does not reach, the byte keeps its old bits AND the new ones.
  void setChipFaults(ChipFaults faults);
  // Completed programming cycles (writes that ended in 'O','K').
  int writesDone() const;

  bool handles(std::uint8_t command) const override { return command == 'E'; }
  void handle(std::uint8_t command, FirmwarePort& port) override;

 private:
  void answerRead(FirmwarePort& port);
  void answerWrite(FirmwarePort& port);
  std::array<std::uint8_t, 2> status(bool ok) const;
  Contents seenLocked() const;
  void sendInPieces(const std::vector<std::uint8_t>& reply, FirmwarePort& port);

  mutable std::mutex mutex_;
  Contents contents_{};
  ChipFaults cells_;
  bool present_ = true;
  bool writeProtected_ = false;
  Timing timing_;
  std::mt19937 random_;
  std::optional<std::array<std::uint8_t, 2>> statusOverride_;
  int writesDone_ = 0;
};

}  // namespace tarvex::emu
