#pragma once
// How quickly the adapter's answer to a short request should reach the host, from what the
// line itself is: 921600 bit/s with ten bit times a byte (8N1), a USB full-speed frame each
// way, and the FTDI bridge's receive latency timer, which holds a short answer in the chip
// until it runs out. Answers much slower than this come from the adapter's side (a firmware
// pausing, a bridge resetting) or a host that cannot keep up, not from the line.

#include <chrono>
#include <cstddef>

#include "link/ft_types.h"

namespace tarvex::line_timing {

using namespace std::chrono_literals;

inline constexpr int kBitsPerByte = 10;  // start, eight data, stop
// The bridge's latency timer as the handshake finds it: the chip's 16 ms until a link
// lowers it. The bound takes the slowest value a healthy bridge uses.
inline constexpr auto kBridgeLatency = 16ms;
inline constexpr auto kUsbFrame = 1ms;
// A busy host may take a few milliseconds to wake up for an answer that is there.
inline constexpr auto kHostAllowance = 5ms;

constexpr std::chrono::microseconds lineTime(std::size_t bytes) {
  return std::chrono::microseconds(bytes * kBitsPerByte * 1'000'000 / kAdapterBaudRate + 1);
}

// The longest a healthy line takes from a request of `requestBytes` handed to the driver
// to the last byte of an answer of `answerBytes`.
constexpr std::chrono::microseconds answerBound(std::size_t requestBytes, std::size_t answerBytes) {
  return lineTime(requestBytes) + kUsbFrame + lineTime(answerBytes) + kBridgeLatency + kUsbFrame +
         kHostAllowance;
}

}  // namespace tarvex::line_timing
