#pragma once
// An operation made of several link sessions in a row (a backup read, the write, a read
// back), each with a part on the user-interface thread and, for most, a part on the
// tool's worker. The window advances the chain each time a worker has ended; the command
// line and tests run it to its end on one thread with runChain().

#include <functional>
#include <vector>

namespace tarvex {

// What a phase's user-interface part leaves to do.
struct PhaseStep {
  enum class Kind { kNext, kWork, kEnd };
  Kind kind = Kind::kNext;
  std::function<bool()> work;  // kWork: the worker's part; its result goes to the next phase
  bool stoppable = false;      // kWork: the tool's stop request ends the work early
  bool passed = true;          // kNext: what the next phase is told of the work before it
  bool readsOnly = false;      // kWork: only reads the chip (a backup, a read-back)

  // On to the next phase at once; `passed` false when this phase's work could not start.
  static PhaseStep next(bool passed = true) { return {Kind::kNext, {}, false, passed}; }
  static PhaseStep end() { return {Kind::kEnd, {}, false, true}; }
  // Work that may change the chip.
  static PhaseStep runWork(std::function<bool()> body, bool stoppable) {
    return {Kind::kWork, std::move(body), stoppable, true};
  }
  // Work that only reads the chip.
  static PhaseStep runRead(std::function<bool()> body, bool stoppable) {
    return {Kind::kWork, std::move(body), stoppable, true, true};
  }
};

class PhaseChain {
 public:
  // A phase's user-interface part; it gets whether the work before it succeeded (true
  // when there was none).
  using Phase = std::function<PhaseStep(bool previousWorkSucceeded)>;

  void add(Phase phase) { phases_.push_back(std::move(phase)); }
  // Runs user-interface parts until one hands work to the worker (returned) or the chain has
  // ended (nothing). The caller runs the work and calls workEnded() with its result.
  const PhaseStep* advance();
  void workEnded(bool succeeded) { previous_ = succeeded; }
  bool ended() const { return next_ >= phases_.size(); }

 private:
  std::vector<Phase> phases_;
  std::size_t next_ = 0;
  bool previous_ = true;
  PhaseStep current_;
};

// Runs the chain to its end on the calling thread; `runWork` runs one phase's work (on a
// thread of its choice) and returns its result.
void runChain(PhaseChain& chain, const std::function<bool(const PhaseStep&)>& runWork);

}  // namespace tarvex
