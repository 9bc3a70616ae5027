#pragma once
// Faults of a chip's memory cells, shared by the flash and EEPROM models: a cell that
// acknowledges a write but keeps another byte, bits stuck at 0 or 1 (one cell or every
// cell, as a broken data line shows), and an erase that leaves a stretch of its range as
// it was. Addresses are the chip's own (the ones its read and write commands use).
//
// A model asks three things: what a cell keeps when a byte is stored into it, whether an
// erase reaches a cell, and what a read of a cell sees. Stuck bits act on what is seen, so
// the cell's stored value is untouched and the fault vanishes once it is taken away.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarvex::emu {

struct WrongStore {
  std::uint32_t address = 0;
  std::uint8_t flip = 0x01;  // the cell keeps what it should have kept, these bits flipped
};

struct StuckBit {
  std::optional<std::uint32_t> address;  // none: the bit is stuck in every cell
  std::uint8_t mask = 0x01;              // the stuck bits
  bool high = false;                     // stuck at 1 instead of 0
};

struct UnerasedRange {
  std::uint32_t start = 0;
  std::uint32_t length = 0;
};

struct ChipFaults {
  std::vector<WrongStore> wrongStores;
  std::vector<StuckBit> stuckBits;
  std::optional<UnerasedRange> unerased;  // an erase leaves these cells as they were

  // One fault of a kind at a place drawn from the seed, within [start, start + length)
  // of the chip's addresses (length > 0).
  static ChipFaults seededWrongStore(std::uint32_t seed, std::uint32_t start,
                                     std::uint32_t length);
  static ChipFaults seededStuckBit(std::uint32_t seed, std::uint32_t start,
                                   std::uint32_t length);
  // A stretch of 16 to 256 cells, inside the range.
  static ChipFaults seededPartialErase(std::uint32_t seed, std::uint32_t start,
                                       std::uint32_t length);

  bool empty() const { return wrongStores.empty() && stuckBits.empty() && !unerased; }
  // What the cell keeps when the model's own rule would leave `intended` in it.
  std::uint8_t stored(std::uint32_t address, std::uint8_t intended) const;
  bool erases(std::uint32_t address) const;
  // What a read of the cell sees.
  std::uint8_t seen(std::uint32_t address, std::uint8_t cell) const;
  // A copy of `cells` (the first at address `base`) as reads see it.
  std::vector<std::uint8_t> seenAll(std::span<const std::uint8_t> cells,
                                    std::uint32_t base = 0) const;
  // Erases `cells` (the first at address `base`) to FFh, but where the erase does not reach.
  void erase(std::span<std::uint8_t> cells, std::uint32_t base = 0) const;
};

}  // namespace tarvex::emu
