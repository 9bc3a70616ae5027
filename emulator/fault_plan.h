#pragma once
// Faults the emulated adapter can be told to show. They apply from the next byte on and
// count bytes per open of the device; a flaky contact also counts the opens.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tarvex::emu {

// A contact that works now and then: during one open the reply stream is damaged at places
// drawn from the seed, and every other open comes through whole, so two reads of the same
// chip differ. The damage falls among the reply bytes [from, from + span) of that open
// (counted from 0, the tag included): either single bits flipped, or a block of bytes that
// arrives one place late (the byte before it doubled, the block's last byte lost), which
// keeps every reply its length.
struct FlakyContact {
  std::size_t open = 0;  // which open after the plan was set, from 0
  std::uint32_t seed = 1;
  std::uint64_t from = 0;
  std::uint64_t span = 256;
  int flips = 3;
  std::uint64_t shiftedBlock = 0;  // > 0: this many bytes shifted instead of bits flipped
};

struct FaultPlan {
  bool refuseOpen = false;                     // open() fails, as for a device held elsewhere
  bool silent = false;                         // the firmware sends nothing at all
  // The firmware sends nothing during this one open (counted from 1 since the records were
  // last cleared), as a contact that drops out for a moment.
  std::optional<std::uint64_t> silentOnOpen;
  std::optional<std::uint64_t> stopAfterBytes;  // sends only the first k bytes of an open
  std::optional<std::uint64_t> unplugAfterBytes;  // unplugs once k bytes of an open went out
  std::optional<std::uint64_t> corruptByteAt;  // flips the bits of the k-th byte (from 0)
  std::uint8_t corruptMask = 0xFF;
  std::chrono::microseconds replyDelay{0};     // slow pacing: each reply waits this long
  // One byte nobody asked for, sent right after the k-th reply byte of an open (from 0;
  // the tag counts), or that long after it. It is extra: every reply byte still comes.
  std::optional<std::uint64_t> strayByteAfter;
  std::uint8_t strayByte = 0x5A;
  std::chrono::microseconds strayDelay{0};
  bool tagLineEnd = false;  // the firmware follows its tag with CR LF
  std::optional<FlakyContact> flaky;
};

}  // namespace tarvex::emu
