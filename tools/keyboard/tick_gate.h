#pragma once
// The tick flag that paces the scan: the window's 100 ms timer raises it, the worker
// lowers it after each reply and then blocks until the next tick, so at most one request
// goes out per tick. Ticks that come while a reply is awaited are not saved up.

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "link/ft_device.h"

namespace tarvex::keyboard {

class TickGate {
 public:
  // The timer: raises the flag and wakes the worker.
  void signal();
  void clear();
  // Blocks until the flag is raised or the bound passes; true when a tick came. The flag
  // stays raised until the next clear().
  bool wait(SteadyClock::duration bound);

  // How many waits have begun. A test that drives the ticks itself knows from this that
  // the worker has finished with a tick and is parked until the next one.
  std::uint64_t waitsBegun() const;
  bool awaitWaitsBegun(std::uint64_t count, SteadyClock::duration bound) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool raised_ = false;
  std::uint64_t waits_ = 0;
};

}  // namespace tarvex::keyboard
