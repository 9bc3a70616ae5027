#pragma once
// The bounds on the MEC16 tool's waits. Defaults are the program-wide values; tests hand in
// short ones so a fault that runs a bound out costs milliseconds, not minutes.

#include "link/ft_device.h"
#include "link/wait_bounds.h"

namespace tarvex::mec16 {

// The pause between two status reads of an erase's busy poll. An erase takes seconds, so
// finding its end a few milliseconds late costs nothing, while reading the status back to
// back would flood the line with megabytes of requests and keep a core busy throughout.
// Each pause is bounded by this value and never outlasts the erase bound.
inline constexpr std::chrono::milliseconds kErasePollPause{5};

struct Mec16Bounds {
  // An ID, a register value or a register write acknowledgement.
  SteadyClock::duration shortReply = bounds::kShortReply;
  // A 1025-byte read block, a write stream's request byte or its 'G'.
  SteadyClock::duration streamBlock = bounds::kStreamBlock;
  // The whole busy poll of an erase.
  SteadyClock::duration chipErase = bounds::kChipErase;
};

}  // namespace tarvex::mec16
