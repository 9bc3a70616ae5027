#pragma once
// The ITE tool's exchanges with the adapter on an open link: one-byte replies, register
// write and read cycles, and the sign-off that ends a controller session. Every wait has a
// bound; a reply that does not come in time counts as a wrong reply.

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "link/ft_device.h"
#include "link/link_state.h"
#include "link/wait_bounds.h"

namespace tarvex {

struct IteBounds {
  // Replies of the settings exchange and of register cycles.
  SteadyClock::duration reply = bounds::kShortReply;
  // The attach, which waits for the user to plug the adapter into the mainboard.
  SteadyClock::duration attach = bounds::kIteAttach;
  // One 257-byte page of a read.
  SteadyClock::duration page = bounds::kStreamBlock;
  // The first flash address after the erase: the adapter takes it once the erase is done.
  SteadyClock::duration firstAddress = bounds::kChipErase;
  // A flash byte's acknowledgement: the link's own read timeout.
  SteadyClock::duration flashByte = bounds::kHandshakeRead;
  // The transmit queue emptying before the link is closed.
  SteadyClock::duration drain = bounds::kWrite;
};

// Sends the request in one write and reads the one-byte reply into the buffer's start.
// Nothing when the request could not be sent or no reply came within the bound.
std::optional<std::uint8_t> iteRequest(LinkState& link, std::initializer_list<std::uint8_t> request,
                                       SteadyClock::duration bound);

// 'A' register, then 'W' value: true only when both are answered 'o'.
bool iteRegisterWrite(LinkState& link, std::uint8_t reg, std::uint8_t value,
                      SteadyClock::duration bound);

// 'A' register, then 'R': the register's value. Nothing when the select was answered 'e'
// or a reply did not come.
std::optional<std::uint8_t> iteRegisterRead(LinkState& link, std::uint8_t reg,
                                            SteadyClock::duration bound);

// Sends the outcome ('I' or 'O'), waits (bounded) for the transmit queue to empty so the
// byte is on the line, and closes the link. Harmless on a link that has failed.
void iteSignOff(LinkState& link, bool success, SteadyClock::duration drainBound);

}  // namespace tarvex
