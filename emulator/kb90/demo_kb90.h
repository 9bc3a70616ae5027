#pragma once
// A made-up laptop with a KB9012 embedded controller, for the demo bench: its flash holds
// a plausible firmware image (reset vectors, code, a version string, an erased tail).

#include <cstdint>
#include <memory>
#include <vector>

#include "emulator/firmware_port.h"
#include "emulator/kb90/kb90_controller.h"

namespace tarvex::emu {

std::vector<std::uint8_t> demoKb90Flash();

// How long the demo controller takes over each step, as a KB9012 does.
Kb90Timing demoKb90Timing();

// The demo bench's factory: one controller with the demo flash and realistic pacing.
std::vector<std::shared_ptr<CommandHandler>> kb90DemoLaptop();

}  // namespace tarvex::emu
