#include "link/serial/fd_wait.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace tarvex::serial {

FdReady waitFd(int fd, short events, SteadyClock::time_point deadline) {
  for (;;) {
    const auto left = std::max(deadline - SteadyClock::now(), SteadyClock::duration::zero());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    const timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                           static_cast<long>(ns % 1'000'000'000)};
    pollfd p{fd, events, 0};
    const int n = ppoll(&p, 1, &timeout, nullptr);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FdReady::kError;
    }
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return FdReady::kHungUp;
    if (p.revents & events) return FdReady::kReady;
    // ppoll rounds to the clock's granularity and may wake a hair early; only the
    // monotonic clock says whether the deadline has really passed.
    if (SteadyClock::now() >= deadline) return FdReady::kTimedOut;
  }
}

}  // namespace tarvex::serial
