#pragma once
// Running a bench under the watchdog, and judging what the run left behind: the fault
// matrix lists every property a run broke, the soak counts hangs, crashes, false successes
// and lost data.

#include <string>
#include <vector>

#include "tests/reliability/bench.h"
#include "tests/reliability/guarded_run.h"

namespace tarvex::reliability {

struct RunResult {
  GuardedRun guarded;
  bool fileHeld = false;  // the image file still open in this process after the run
};

// Arms the fault, runs the operation under the watchdog and looks at the open files. A
// run that hangs leaves its thread using the bench: the caller must then leak the bench.
RunResult runBench(Bench& bench, const InjectedFault& fault, Duration hangLimit);

// What a run must end in.
enum class Expect {
  kSuccess,  // no fault, or one the tool must ride out (a slow reply)
  kFailure,
  kEither,     // a corrupted byte may land where nothing can notice it
  kSaveFails,  // the adapter part succeeded and the file then failed (EDID read)
};
Expect expectationFor(const Bench& bench, Fault fault);

// The fault a matrix cell injects: positioned faults in the middle of a healthy run's
// replies, a slow reply late by 40 % of the bound.
InjectedFault matrixFault(Fault kind, std::uint64_t healthyReplies, Duration bound);

struct Judgement {
  std::vector<std::string> broken;   // every property the run broke; empty when it passed
  std::vector<std::string> remarks;  // what passed only because the protocol cannot tell
};
// `limit` is the time the run may take.
Judgement judgeRun(const Bench& bench, const RunResult& run, Expect expect, Duration limit);

// After a run that did not hang: takes the fault away and runs the same tool once more; it
// must succeed, or the fault left something behind. Empty when it did.
std::vector<std::string> brokenAfterwards(Bench& bench, Duration hangLimit, Duration limit,
                                          bool* hung);

struct SoakVerdict {
  bool hang = false;
  bool crash = false;
  bool claimedSuccess = false;
  bool falseSuccess = false;  // success told although the chip, the file or the fault belie it
  // Success told on the strength of a corrupted reply that carries no check the tool could
  // use (the data then is not what success promises, but the adapter said it was).
  bool believedCorruption = false;
  // A read told success but its file is not what the chip holds, or the backup taken before
  // an erase or a write does not hold what the chip held.
  bool lostData = false;
};
SoakVerdict judge(const Bench& bench, const RunResult& run, std::uint64_t healthyReplies);

}  // namespace tarvex::reliability
