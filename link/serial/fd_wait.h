#pragma once
// Waiting on one file descriptor against a monotonic deadline, in the kernel (ppoll with a
// nanosecond timeout), so a wait costs no CPU and wakes as soon as the descriptor is ready.

#include <poll.h>

#include "link/ft_device.h"

namespace tarvex::serial {

enum class FdReady {
  kReady,     // the events asked for are there
  kTimedOut,  // the deadline passed first
  kHungUp,    // the device hung up or failed (POLLHUP, POLLERR, POLLNVAL)
  kError,     // ppoll itself failed
};

// Waits for `events` on fd until the deadline; a deadline already past checks once
// without waiting. A hang-up wins over readiness: a device that has gone is gone even if
// it left bytes behind.
FdReady waitFd(int fd, short events, SteadyClock::time_point deadline);

}  // namespace tarvex::serial
