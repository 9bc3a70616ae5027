#pragma once
// Sending requests and waiting for replies on an open adapter link. Every wait is bounded;
// the caller names the bound from wait_bounds.h and decides what a miss means.

#include <chrono>
#include <cstdint>
#include <initializer_list>

#include "link/link_state.h"

namespace tarvex {

enum class WaitResult {
  kReady,     // the wanted bytes are queued
  kTimedOut,  // the bound passed with fewer bytes queued
  kFailed,    // the device failed (unplugged, I/O error) or the link is closed
};

// Writes count bytes from the transfer buffer at offset. True when all were taken.
bool sendFromBuffer(LinkState& link, std::size_t offset, std::uint32_t count);
bool sendBytes(LinkState& link, std::initializer_list<std::uint8_t> bytes);
bool sendByte(LinkState& link, std::uint8_t byte);

// Waits until count bytes are in the receive queue; link.queue.rx holds the count seen.
WaitResult waitForBytes(LinkState& link, std::uint32_t count, SteadyClock::duration bound);

// Reads exactly count queued bytes into the transfer buffer at offset. Refuses (false)
// a count that would not fit the buffer, so nothing is ever written past it.
bool readIntoBuffer(LinkState& link, std::size_t offset, std::uint32_t count);

// waitForBytes followed by readIntoBuffer.
WaitResult receive(LinkState& link, std::size_t offset, std::uint32_t count,
                   SteadyClock::duration bound);

// The adapter sends nothing unasked, so a byte queued beyond the reply just taken is stray:
// in a stream counted only by its bytes it would shift every byte after it.
enum class Leftover {
  kNone,    // nothing beyond the reply
  kStray,   // a byte nobody asked for is there
  kFailed,  // the device failed or the link is closed
};

// Whether the last wait saw more than `taken` bytes or some are queued now. One queue
// query, never a wait, so it can follow every block of a stream.
Leftover leftoverAfter(LinkState& link, std::uint32_t taken);

// Watches the receive queue for up to `bound` for a byte nobody asked for. For the end of a
// count-only stream, where a stray byte shifts the last bytes and leaves one over.
Leftover leftoverWithin(LinkState& link, SteadyClock::duration bound);

// Sends the outcome signal: 'I' after success, 'O' after failure. Harmless on a dead link.
void sendOutcome(LinkState& link, bool success);

}  // namespace tarvex
