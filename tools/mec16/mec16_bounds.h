#pragma once
// The bounds on the MEC16 tool's waits. Defaults are the program-wide values; tests hand in
// short ones so a fault that runs a bound out costs milliseconds, not minutes.

#include "link/ft_device.h"
#include "link/wait_bounds.h"

namespace tarvex::mec16 {

struct Mec16Bounds {
  // An ID, a register value or a register write acknowledgement.
  SteadyClock::duration shortReply = bounds::kShortReply;
  // A 1025-byte read block, a write stream's request byte or its 'G'.
  SteadyClock::duration streamBlock = bounds::kStreamBlock;
  // The whole busy poll of an erase.
  SteadyClock::duration chipErase = bounds::kChipErase;
};

}  // namespace tarvex::mec16
