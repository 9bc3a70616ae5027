#pragma once
// Timing of the real line, for benchmarks and for realism: 921600 bit/s 8N1 (ten bit times
// a byte), USB full-speed frames of 1 ms, and the FTDI receive latency timer, which holds a
// short reply in the chip until the timer runs out (a full 62-byte packet goes at once).

#include <chrono>
#include <cstdint>
#include <vector>

namespace tarvex::emu {

using Clock = std::chrono::steady_clock;

struct WireModel {
  bool enabled = false;
  std::uint32_t baud = 921600;
  std::chrono::microseconds usbFrame{1000};
  static constexpr std::size_t kPacketPayload = 62;
  // The FTDI chip's receive latency timer until the host sets another.
  static constexpr std::chrono::milliseconds kDefaultLatency{16};

  Clock::duration byteTime() const;
  // When each byte of a reply sent at `sent` becomes visible to the host. `lineFree` is
  // when the line finished the previous reply; it is moved on past this one.
  std::vector<Clock::time_point> replyVisibility(std::size_t count, Clock::time_point sent,
                                                 Clock::time_point& lineFree,
                                                 std::chrono::milliseconds latency) const;
  // When each byte of a host write reaches the firmware.
  std::vector<Clock::time_point> requestArrival(std::size_t count, Clock::time_point written) const;
  Clock::time_point nextFrame(Clock::time_point t) const;
  // How long a reply of `count` bytes sent on an idle line takes until its last byte is
  // visible to the host: the slowest the line makes an answer of that size.
  Clock::duration replyTime(std::size_t count, std::chrono::milliseconds latency) const;
};

}  // namespace tarvex::emu
