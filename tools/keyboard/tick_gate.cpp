#include "tools/keyboard/tick_gate.h"

namespace tarvex::keyboard {

void TickGate::signal() {
  {
    std::lock_guard lock(mutex_);
    raised_ = true;
  }
  changed_.notify_all();
}

void TickGate::clear() {
  std::lock_guard lock(mutex_);
  raised_ = false;
}

bool TickGate::wait(SteadyClock::duration bound) {
  const auto deadline = SteadyClock::now() + bound;
  std::unique_lock lock(mutex_);
  ++waits_;
  changed_.notify_all();
  return changed_.wait_until(lock, deadline, [this] { return raised_; });
}

std::uint64_t TickGate::waitsBegun() const {
  std::lock_guard lock(mutex_);
  return waits_;
}

bool TickGate::awaitWaitsBegun(std::uint64_t count, SteadyClock::duration bound) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, bound, [&] { return waits_ >= count; });
}

}  // namespace tarvex::keyboard
