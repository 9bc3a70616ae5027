#include "tools/keyboard/ui/read_thread_keyboard.h"

#include "tools/keyboard/keyboard_tool.h"

namespace tarvex {

void ReadThread_keyboard::Execute() {
  tool_.runScan();
}

}  // namespace tarvex
