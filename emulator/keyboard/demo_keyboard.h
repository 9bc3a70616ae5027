#pragma once
// The demo bench's laptop keyboard: a made-up 24-line matrix on the 32-pin connector
// (8 sense lines on pins 1 to 8, 16 drive lines on pins 9 to 24), with named keys the
// demo's controls can press. Replies come in two pieces, as a firmware that sends its
// records while it scans.

#include <memory>
#include <string>
#include <vector>

#include "emulator/keyboard/emulated_keyboard.h"

namespace tarvex::emu {

struct DemoKey {
  std::string name;
  int first = 0;   // sense pin
  int second = 0;  // drive pin
};

// The keys of the demo keyboard, row by row.
const std::vector<DemoKey>& demoKeys();

// The bench's factory: a fresh demo keyboard behind the adapter.
std::vector<std::shared_ptr<CommandHandler>> demoKeyboardChips();

// The demo keyboard's firmware sends each reply in two pieces with this pause between.
inline constexpr std::chrono::microseconds kDemoReplyGap{300};

// The keyboard the bench put behind the adapter last (nullptr before that), so a demo
// control can press its keys: demoKeyboard()->pressKey(a, b) is safe from any thread.
std::shared_ptr<EmulatedKeyboard> demoKeyboard();

}  // namespace tarvex::emu
