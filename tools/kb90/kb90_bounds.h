#pragma once
// The KB90xx tool's waits, taken from link/wait_bounds.h; tests shorten them so a stalled
// adapter fails a test in milliseconds instead of seconds.

#include "link/ft_device.h"
#include "link/wait_bounds.h"

namespace tarvex::kb90 {

struct Kb90Bounds {
  // The controller's debug version byte after 'V'.
  SteadyClock::duration connectReply = bounds::kShortReply;
  // A 256-byte block of a read, and each ready and block-done byte of a write.
  SteadyClock::duration block = bounds::kStreamBlock;
  // After the last block of a read: a byte nobody asked for still on its way.
  SteadyClock::duration straySettle = bounds::kStraySettle;
  // Each '-' of the verification after the previous one (stray bytes do not extend it).
  SteadyClock::duration checksumStep = bounds::kChecksumStep;
  // The four checksum bytes after the last '-'.
  SteadyClock::duration checksumReply = bounds::kShortReply;
  // The worker waiting for its button handler to name the transfer.
  SteadyClock::duration workerHandOver = bounds::kWorkerHandOver;
};

}  // namespace tarvex::kb90
