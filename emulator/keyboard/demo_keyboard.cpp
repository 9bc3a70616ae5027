#include "emulator/keyboard/demo_keyboard.h"

#include <chrono>
#include <mutex>

namespace tarvex::emu {
namespace {

std::mutex demoMutex;
std::weak_ptr<EmulatedKeyboard> lastDemoKeyboard;

}  // namespace

const std::vector<DemoKey>& demoKeys() {
  static const std::vector<DemoKey> keys{
      {"Esc", 1, 9},    {"F1", 1, 10},         {"F2", 1, 11},   {"F5", 1, 14}, {"1", 2, 9},
      {"2", 2, 10},     {"3", 2, 11},          {"0", 2, 18},    {"Q", 3, 9},   {"W", 3, 10},
      {"E", 3, 11},     {"P", 3, 18},          {"A", 4, 9},     {"S", 4, 10},  {"D", 4, 11},
      {"Enter", 4, 20}, {"Z", 5, 9},           {"X", 5, 10},    {"C", 5, 11},  {"Backspace", 5, 20},
      {"Space", 6, 13}, {"Left Shift", 7, 21}, {"Ctrl", 8, 22}, {"Fn", 8, 24},
  };
  return keys;
}

std::vector<std::shared_ptr<CommandHandler>> demoKeyboardChips() {
  auto keyboard = std::make_shared<EmulatedKeyboard>();
  keyboard->setReplySplit(2, kDemoReplyGap);
  {
    std::lock_guard lock(demoMutex);
    lastDemoKeyboard = keyboard;
  }
  return {keyboard};
}

std::shared_ptr<EmulatedKeyboard> demoKeyboard() {
  std::lock_guard lock(demoMutex);
  return lastDemoKeyboard.lock();
}

}  // namespace tarvex::emu
