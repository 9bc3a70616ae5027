#pragma once
// Contents of a made-up laptop panel's EEPROM: a 15.6" 1366x768 eDP panel, EDID 1.4 base
// block with a valid header and checksum, no extension (the second half is blank FFh).

#include <array>
#include <cstdint>

namespace tarvex::emu {

std::array<std::uint8_t, 256> demoPanelEeprom();

}  // namespace tarvex::emu
