#pragma once
// Contents of a made-up laptop panel's EEPROM: a 15.6" 1366x768 eDP panel, EDID 1.4 base
// block with a valid header and checksum, no extension (the second half is blank FFh).

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "emulator/firmware_port.h"

namespace tarvex::emu {

std::array<std::uint8_t, 256> demoPanelEeprom();

// The demo bench's laptop panel: that EEPROM behind the adapter, unprotected.
std::vector<std::shared_ptr<CommandHandler>> demoPanelChips();

}  // namespace tarvex::emu
