#pragma once
// Register access through the MEC16 firmware: the ID request and the register read and
// write requests, whose address and value travel as upper-case ASCII hexadecimal. Each
// request is built at the start of the link's transfer buffer and its reply read over it.

#include <cstdint>
#include <string>

#include "link/link_state.h"
#include "base/log_sink.h"

namespace tarvex::mec16 {

// "0000 0105h" for the bytes 00 00 01 05: a 4-byte value as the log shows it.
std::string valueText(const std::uint8_t* bytes);

// Writes `digits` upper-case hex digits of value, most significant first.
void putHex(std::uint8_t* out, std::uint32_t value, int digits);

// Attaches the target ('1') and asks for its ID ('j'); logs the ID. The four ID bytes are
// left at the start of the buffer. False when fewer than four came within the bound.
bool MecReadId(LinkState& link, LogSink& log, SteadyClock::duration bound);

// The register's value text, or "MEC_lost" when the five reply bytes did not all come
// within the bound. The reply stays in the buffer: the value's low byte is its fourth byte.
std::string MecReadRegister(LinkState& link, std::uint32_t address, SteadyClock::duration bound);

// "MEC_OK" when the one reply byte came and is 01h, otherwise "MEC_lost".
std::string MecWriteRegister(LinkState& link, std::uint32_t address, std::uint32_t value,
                             SteadyClock::duration bound);

bool isLost(const std::string& result);

}  // namespace tarvex::mec16
