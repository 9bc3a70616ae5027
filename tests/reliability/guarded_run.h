#pragma once
// Runs one operation on a thread of its own under a watchdog, so that an operation that
// hangs fails its run instead of blocking the test, and one that throws is caught.

#include <chrono>
#include <functional>
#include <string>

namespace tarvex::reliability {

enum class RunEnd {
  kReturned,
  kThrew,  // an exception left the operation: as bad as a crash for the user
  kHung,   // still running at the limit
};

struct GuardedRun {
  RunEnd end = RunEnd::kReturned;
  std::chrono::steady_clock::duration elapsed{};
  std::string what;  // the exception's text
};

// A body that hangs cannot be stopped safely: its thread is left running, so whatever it
// uses must outlive the process (the caller leaks it) and the run is reported as hung.
GuardedRun runGuarded(const std::function<void()>& body, std::chrono::steady_clock::duration limit);

}  // namespace tarvex::reliability
