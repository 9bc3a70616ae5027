#include "emulator/chip_faults.h"

#include <algorithm>
#include <random>

namespace tarvex::emu {
namespace {

std::uint32_t drawIn(std::mt19937& random, std::uint32_t start, std::uint32_t length) {
  return start + static_cast<std::uint32_t>(random() % std::max<std::uint32_t>(1, length));
}

std::uint8_t oneBit(std::mt19937& random) {
  return static_cast<std::uint8_t>(1u << (random() % 8));
}

}  // namespace

ChipFaults ChipFaults::seededWrongStore(std::uint32_t seed, std::uint32_t start,
                                        std::uint32_t length) {
  std::mt19937 random(seed);
  ChipFaults faults;
  const std::uint32_t address = drawIn(random, start, length);
  faults.wrongStores.push_back({.address = address, .flip = oneBit(random)});
  return faults;
}

ChipFaults ChipFaults::seededStuckBit(std::uint32_t seed, std::uint32_t start,
                                      std::uint32_t length) {
  std::mt19937 random(seed);
  ChipFaults faults;
  const std::uint32_t address = drawIn(random, start, length);
  const std::uint8_t mask = oneBit(random);
  faults.stuckBits.push_back({.address = address, .mask = mask, .high = random() % 2 == 1});
  return faults;
}

ChipFaults ChipFaults::seededPartialErase(std::uint32_t seed, std::uint32_t start,
                                          std::uint32_t length) {
  std::mt19937 random(seed);
  const std::uint32_t cells = std::min<std::uint32_t>(16 + random() % 241, std::max(1u, length));
  ChipFaults faults;
  faults.unerased = UnerasedRange{drawIn(random, start, length - cells + 1), cells};
  return faults;
}

std::uint8_t ChipFaults::stored(std::uint32_t address, std::uint8_t intended) const {
  for (const WrongStore& wrong : wrongStores) {
    if (wrong.address == address) intended ^= wrong.flip;
  }
  return intended;
}

bool ChipFaults::erases(std::uint32_t address) const {
  return !unerased || address < unerased->start ||
         address - unerased->start >= unerased->length;
}

std::uint8_t ChipFaults::seen(std::uint32_t address, std::uint8_t cell) const {
  for (const StuckBit& stuck : stuckBits) {
    if (stuck.address && *stuck.address != address) continue;
    cell = stuck.high ? (cell | stuck.mask) : (cell & ~stuck.mask);
  }
  return cell;
}

std::vector<std::uint8_t> ChipFaults::seenAll(std::span<const std::uint8_t> cells,
                                              std::uint32_t base) const {
  std::vector<std::uint8_t> out(cells.begin(), cells.end());
  if (stuckBits.empty()) return out;
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = seen(base + static_cast<std::uint32_t>(i), out[i]);
  }
  return out;
}

void ChipFaults::erase(std::span<std::uint8_t> cells, std::uint32_t base) const {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (erases(base + static_cast<std::uint32_t>(i))) cells[i] = 0xFF;
  }
}

}  // namespace tarvex::emu
