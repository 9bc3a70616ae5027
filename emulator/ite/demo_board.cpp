#include "emulator/ite/demo_board.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace tarvex::emu {

It85Board::Wiring demoIteWiring() {
  // PD0..PD7, STB#, AFD#, INIT#, SLIN#, BUSY, KSI4, KSI5 on a 30-pin connector.
  return {3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 15, 14, 11, 16, 17};
}

std::vector<std::uint8_t> demoIteFirmware() {
  std::vector<std::uint8_t> image(128 * 1024, 0xFF);
  // Code in the lower half, in blocks with blank gaps between them, a version string and
  // a small configuration area near the top; deterministic so every run looks the same.
  std::uint32_t seed = 0x85020100;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<std::uint8_t>(seed >> 24);
  };
  for (std::size_t block = 0; block < 60; ++block) {
    const std::size_t start = block * 1024;
    const std::size_t used = 600 + (block * 37) % 400;
    for (std::size_t i = start; i < start + used; ++i) image[i] = next();
  }
  const std::string version = "IT8502E EC firmware 1.07 (Arvon NB-1432)";
  std::copy(version.begin(), version.end(), image.begin() + 0x80);
  for (std::size_t i = 0x1F000; i < 0x1F100; ++i) image[i] = static_cast<std::uint8_t>(i);
  return image;
}

std::vector<std::shared_ptr<CommandHandler>> demoIteChips() {
  auto board = std::make_shared<It85Board>(demoIteWiring());
  board->setFlash(demoIteFirmware());
  // A chip erase takes a moment, as on the real part; the adapter holds back the first
  // flash address until it is done.
  board->setEraseTime(kDemoIteEraseTime);
  return {board};
}

}  // namespace tarvex::emu
