#include "emulator/wire_model.h"

#include <algorithm>

namespace tarvex::emu {

Clock::duration WireModel::byteTime() const {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(10'000'000'000LL / baud));
}

Clock::time_point WireModel::nextFrame(Clock::time_point t) const {
  const auto frame = std::chrono::duration_cast<Clock::duration>(usbFrame);
  const auto since = t.time_since_epoch();
  const auto frames = (since + frame - Clock::duration(1)) / frame;
  return Clock::time_point(frames * frame);
}

std::vector<Clock::time_point> WireModel::replyVisibility(std::size_t count, Clock::time_point sent,
                                                          Clock::time_point& lineFree,
                                                          std::chrono::milliseconds latency) const {
  std::vector<Clock::time_point> visible(count);
  Clock::time_point onWire = std::max(sent, lineFree);
  std::size_t first = 0;
  while (first < count) {
    const std::size_t last = std::min(count, first + kPacketPayload);
    const auto firstDone = onWire + byteTime();
    const auto lastDone = onWire + byteTime() * static_cast<long>(last - first);
    // A full packet leaves when its last byte is in; a short one waits for the latency
    // timer, counted from its first byte.
    const bool full = last - first == kPacketPayload;
    const auto leaves = full ? lastDone : std::max(lastDone, firstDone + latency);
    const auto seen = nextFrame(leaves);
    for (std::size_t i = first; i < last; ++i) visible[i] = seen;
    onWire = lastDone;
    first = last;
  }
  lineFree = onWire;
  return visible;
}

Clock::duration WireModel::replyTime(std::size_t count, std::chrono::milliseconds latency) const {
  // Sent just after a frame went, so every packet waits nearly a whole frame more.
  const Clock::time_point sent = nextFrame(Clock::now()) + Clock::duration(1);
  Clock::time_point lineFree = sent;
  const auto visible = replyVisibility(count, sent, lineFree, latency);
  return visible.empty() ? Clock::duration::zero() : visible.back() - sent;
}

std::vector<Clock::time_point> WireModel::requestArrival(std::size_t count,
                                                         Clock::time_point written) const {
  std::vector<Clock::time_point> arrival(count);
  const auto start = nextFrame(written);
  for (std::size_t i = 0; i < count; ++i) arrival[i] = start + byteTime() * static_cast<long>(i + 1);
  return arrival;
}

}  // namespace tarvex::emu
