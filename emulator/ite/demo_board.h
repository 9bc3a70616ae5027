#pragma once
// The demo bench's laptop with an IT85xx: a made-up "Arvon NB-1432" mainboard whose
// keyboard connector is wired as its line in the sample presets file says, and a flash
// about half filled with firmware, as such controllers' flashes usually are.

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "emulator/ite/it85_board.h"

namespace tarvex::emu {

It85Board::Wiring demoIteWiring();
std::vector<std::uint8_t> demoIteFirmware();

// How long the demo board's flash takes over a chip erase.
inline constexpr std::chrono::milliseconds kDemoIteEraseTime{800};

// The board behind the adapter, for the demo bench.
std::vector<std::shared_ptr<CommandHandler>> demoIteChips();

}  // namespace tarvex::emu
