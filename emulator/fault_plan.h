#pragma once
// Faults the emulated adapter can be told to show. They apply from the next byte on and
// count bytes per open of the device.

#include <chrono>
#include <cstdint>
#include <optional>

namespace tarvex::emu {

struct FaultPlan {
  bool refuseOpen = false;                     // open() fails, as for a device held elsewhere
  bool silent = false;                         // the firmware sends nothing at all
  std::optional<std::uint64_t> stopAfterBytes;  // sends only the first k bytes of an open
  std::optional<std::uint64_t> unplugAfterBytes;  // unplugs once k bytes of an open went out
  std::optional<std::uint64_t> corruptByteAt;  // flips the bits of the k-th byte (from 0)
  std::uint8_t corruptMask = 0xFF;
  std::chrono::microseconds replyDelay{0};     // slow pacing: each reply waits this long
};

}  // namespace tarvex::emu
