#pragma once
// The demo bench's laptop with a MEC1609 controller: a plausible firmware image in MAIN,
// an erased INFO block, and an erase that keeps the busy bit up for a while.

#include <memory>
#include <vector>

#include "emulator/firmware_port.h"

namespace tarvex::emu {

std::vector<std::shared_ptr<CommandHandler>> demoMec16Chips();

}  // namespace tarvex::emu
