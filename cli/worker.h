#pragma once
// The worker part of a streaming operation, on a thread of its own, while the calling
// thread does what the window's user-interface thread would: ticks the tool's timer, and
// passes a Ctrl-C or the end of the allowed time on as the tool's STOP.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "cli/cli_env.h"
#include "cli/terminal_view.h"
#include "frame/phase_chain.h"

namespace tarvex::cli {

class Worker {
 public:
  Worker() = default;
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Starts body on the worker thread; its result is the operation's.
  void start(std::function<bool()> body);
  bool started() const { return thread_.joinable(); }
  // Waits until the body has returned or the bound has passed; true when it has returned.
  bool waitFor(std::chrono::milliseconds bound);
  // Waits for the body to return and gives its result (false when none was started).
  bool join();

 private:
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  bool result_ = false;
};

struct Supervision {
  // Called every tickPeriod while the worker runs (the keyboard tester's scan timer).
  std::function<void()> tick;
  std::chrono::milliseconds tickPeriod{100};
  // Ends the operation early, as the window's STOP does; empty for an operation that has
  // no way to stop part-way.
  std::function<void()> stop;
  // When set, stop is called once this time has come.
  std::optional<std::chrono::steady_clock::time_point> stopAt;
  // Without a stop: what a Ctrl-C is told goes on, and when it ends.
  std::string cannotStop = halfDoneNote();

  // The notes for an operation without a stop: one that changes the chip, and a read.
  static std::string halfDoneNote();
  static std::string readGoesOnNote();
  // The notes for a chain's reads without a stop: the read before the chip is changed
  // (after which the chain ends), and the read-back after it.
  static std::string stopsBeforeChangeNote();
  static std::string readBackGoesOnNote();
};

// "within N s", the bound rounded up to whole seconds.
std::string endsWithin(std::chrono::steady_clock::duration bound);

// Waits for the worker, doing what the supervision asks meanwhile, and gives its result.
// A Ctrl-C calls stop; for an operation without one it says on standard error what goes
// on to its end (what.cannotStop).
bool supervise(Worker& worker, const CliEnv& env, TerminalView& view, const Supervision& what);

// Runs an operation of several link sessions to its end: each phase's own part on the
// calling thread, its work on a worker under supervision. A Ctrl-C stops stoppable work
// through `stop` (a stopped backup or read-back fails, which ends the chain). A read that
// cannot stop runs to its end: before the chip is changed (a backup) the chain then ends
// there, as if it had failed; after it (a read-back) its result stands. Other work, which
// changes the chip, is described by `cannotStop` and goes on.
void superviseChain(PhaseChain& chain, const CliEnv& env, TerminalView& view,
                    const std::function<void()>& stop, const std::string& cannotStop);

}  // namespace tarvex::cli
