// The seeded fault soak: N operations, each on a fresh bench, each with a fault drawn from
// the seed (its kind, the reply byte it strikes, the bits it flips, how late a reply is)
// and with its data and files drawn from it too (chip contents, files to write that are
// shorter or longer than the chip), run under the watchdog. The same seed draws the same faults on
// the same data. Prints the runs, the faults injected, and the four figures that must stay 0:
// hangs, crashes, false successes and lost data (a read that told success but whose file is not the
// chip's memory). Exits non-zero when one of them is not 0.
//
// The faults only a read-back or a second read can catch (kVerifyFaults) are drawn where
// the operation's tool guards against them; --verify-faults 1 draws all of them (the
// unguarded ones then show as false successes), 0 none. Where a tool guards only some of
// its data (a KB90xx file shorter than the flash goes without the adapter's sum), a fault
// drawn for data it does not guard is left out of that run unless all are drawn.
//
//   soak_reliability [--runs N] [--seed S] [--jobs J] [--verify-faults 0|1]

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/reliability/bench_bounds.h"
#include "tests/reliability/operations.h"
#include "tests/reliability/run_checks.h"

namespace tarvex::reliability {
namespace {

struct Options {
  int runs = 1000;
  std::uint64_t seed = 1;
  int jobs = 2;
  enum class VerifyFaults { kNone, kGuarded, kAll };
  VerifyFaults verifyFaults = VerifyFaults::kGuarded;
};

struct Profile {
  std::uint64_t replies = 0;  // reply bytes of a healthy run
  std::size_t tagLength = 0;
  std::vector<Fault> faults;  // the faults that apply, kNone excluded
};

struct Planned {
  std::size_t op = 0;
  InjectedFault fault;
  std::uint32_t seed = 0;
};

struct Outcome {
  SoakVerdict verdict;
  bool stuck = false;  // the tool did not work again once the fault was gone
  bool unguarded = false;  // the drawn fault was left out: this run's data is not guarded
  std::vector<std::string> lines;
};

bool parse(int argc, char** argv, Options* options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const char* value = argv[i + 1];
    if (flag == "--runs") {
      options->runs = std::atoi(value);
    } else if (flag == "--seed") {
      options->seed = std::strtoull(value, nullptr, 10);
    } else if (flag == "--jobs") {
      options->jobs = std::max(1, std::atoi(value));
    } else if (flag == "--verify-faults") {
      options->verifyFaults = std::atoi(value) != 0 ? Options::VerifyFaults::kAll
                                                     : Options::VerifyFaults::kNone;
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && options->runs > 0;
}

// A healthy run of every operation: it must succeed, and its replies give the range the
// positioned faults are drawn from.
bool profile(const Options& options, std::vector<Profile>* profiles) {
  bool ok = true;
  for (const Operation& op : operations()) {
    auto bench = op.make({.bound = kBenchBound, .seed = 1});
    const RunResult run = runBench(*bench, {}, kHangLimit);
    const auto broken = judgeRun(*bench, run, Expect::kSuccess, kRunLimit).broken;
    if (!broken.empty()) {
      std::cout << "healthy " << op.name << " failed: " << broken.front() << '\n';
      ok = false;
      if (run.guarded.end == RunEnd::kHung) (void)bench.release();
    }
    Profile p{.replies = bench->repliedBytes(), .tagLength = bench->tagLength()};
    for (Fault fault : kAllFaults) {
      if (fault != Fault::kNone && bench->applies(fault)) p.faults.push_back(fault);
    }
    for (Fault fault : kVerifyFaults) {
      const bool drawn = options.verifyFaults == Options::VerifyFaults::kAll ||
                         (options.verifyFaults == Options::VerifyFaults::kGuarded &&
                          bench->guards(fault));
      if (drawn && bench->applies(fault)) p.faults.push_back(fault);
    }
    profiles->push_back(std::move(p));
  }
  return ok;
}

std::vector<Planned> plan(const Options& options, const std::vector<Profile>& profiles) {
  std::mt19937_64 random(options.seed);
  std::vector<Planned> runs;
  const auto boundUs = std::chrono::duration_cast<std::chrono::microseconds>(kBenchBound).count();
  for (int i = 0; i < options.runs; ++i) {
    Planned p;
    p.op = random() % profiles.size();
    const Profile& profile = profiles[p.op];
    // One run in four has no fault: the healthy path must hold up among the faulty ones.
    if (random() % 4 != 0) p.fault.kind = profile.faults[random() % profile.faults.size()];
    // Positions reach an eighth past the last reply, where a fault never strikes.
    const std::uint64_t range = std::max<std::uint64_t>(profile.replies, profile.tagLength);
    p.fault.at = random() % (range + range / 8 + 1);
    // One positioned fault in ten strikes the handshake instead.
    const bool positioned = p.fault.kind == Fault::kSilentMid ||
                            p.fault.kind == Fault::kUnplugMid || p.fault.kind == Fault::kCorrupt ||
                            p.fault.kind == Fault::kStrayByte;
    if (positioned && random() % 10 == 0) {
      p.fault.inTag = true;
      p.fault.at %= profile.tagLength;
    }
    p.fault.mask = static_cast<std::uint8_t>(1 + random() % 255);
    p.fault.delay = std::chrono::microseconds(boundUs / 10 + random() % (boundUs * 3 / 10));
    p.seed = static_cast<std::uint32_t>(random());
    runs.push_back(p);
  }
  return runs;
}

// FNV-1a over the plan, so two runs can be seen to have drawn the same faults.
std::uint64_t digest(const std::vector<Planned>& runs) {
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&](std::uint64_t v) {
    for (int i = 0; i < 8; ++i) {
      h ^= (v >> (8 * i)) & 0xFF;
      h *= 1099511628211ull;
    }
  };
  for (const Planned& p : runs) {
    mix(p.op);
    mix(static_cast<std::uint64_t>(p.fault.kind));
    mix(p.fault.at);
    mix(p.fault.inTag);
    mix(p.fault.mask);
    mix(static_cast<std::uint64_t>(p.fault.delay.count()));
    mix(p.seed);
  }
  return h;
}

Outcome runOne(const Planned& p, const Profile& profile, bool allVerifyFaults) {
  auto bench = operations()[p.op].make({.bound = kBenchBound, .seed = p.seed, .varied = true});
  Outcome outcome;
  InjectedFault fault = p.fault;
  const bool verifyFault = std::find(std::begin(kVerifyFaults), std::end(kVerifyFaults),
                                     fault.kind) != std::end(kVerifyFaults);
  if (verifyFault && !allVerifyFaults && !bench->guards(fault.kind)) {
    outcome.unguarded = true;
    fault = {};
  }
  const RunResult run = runBench(*bench, fault, kHangLimit);
  outcome.verdict = judge(*bench, run, profile.replies);
  if (outcome.verdict.hang) {
    (void)bench.release();  // its thread still uses it
    return outcome;
  }
  const auto& v = outcome.verdict;
  if (v.crash || v.falseSuccess || v.lostData) {
    outcome.lines = bench->lines();
    if (v.crash) outcome.lines.push_back("exception: " + run.guarded.what);
  }
  bool hung = false;
  const auto afterwards = brokenAfterwards(*bench, kHangLimit, kRunLimit, &hung);
  if (!afterwards.empty()) {
    outcome.stuck = true;
    outcome.lines.insert(outcome.lines.end(), afterwards.begin(), afterwards.end());
  }
  if (hung) (void)bench.release();
  return outcome;
}

void report(std::size_t index, const Planned& p, const Outcome& o) {
  const auto& v = o.verdict;
  const char* what = v.hang           ? "HANG"
                     : v.crash        ? "CRASH"
                     : v.falseSuccess ? "FALSE SUCCESS"
                                      : "LOST DATA";
  std::cout << "run " << index << ": " << what << " in " << operations()[p.op].name << ", fault "
            << faultName(p.fault.kind) << " at " << (p.fault.inTag ? "tag byte " : "reply byte ")
            << p.fault.at << ", data seed " << p.seed << '\n';
  for (const auto& line : o.lines) std::cout << "    | " << line << '\n';
}

int soak(const Options& options) {
  DiskFull::prepare();
  std::vector<Profile> profiles;
  const bool healthy = profile(options, &profiles);
  const std::vector<Planned> runs = plan(options, profiles);
  std::cout << "Fault soak: seed " << options.seed << ", " << runs.size() << " operations, plan "
            << std::hex << digest(runs) << std::dec << ", " << options.jobs
            << " at a time, disk full on " << DiskFull::kind() << std::endl;

  const auto start = std::chrono::steady_clock::now();
  std::vector<Outcome> outcomes(runs.size());
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> workers;
  for (int j = 0; j < options.jobs; ++j) {
    workers.emplace_back([&] {
      for (std::size_t i = next++; i < runs.size(); i = next++) {
        outcomes[i] = runOne(runs[i], profiles[runs[i].op],
                             options.verifyFaults == Options::VerifyFaults::kAll);
      }
    });
  }
  for (auto& w : workers) w.join();
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  int faults = 0, hangs = 0, crashes = 0, falseSuccesses = 0, lostData = 0, succeeded = 0;
  int believed = 0, slowFailed = 0, stuck = 0, unguarded = 0;
  std::map<std::string, int> byFault;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto& v = outcomes[i].verdict;
    if (runs[i].fault.kind != Fault::kNone && !outcomes[i].unguarded) ++faults;
    ++byFault[faultName(runs[i].fault.kind)];
    hangs += v.hang;
    crashes += v.crash;
    falseSuccesses += v.falseSuccess;
    lostData += v.lostData;
    succeeded += v.claimedSuccess;
    believed += v.believedCorruption;
    stuck += outcomes[i].stuck;
    unguarded += outcomes[i].unguarded;
    slowFailed += runs[i].fault.kind == Fault::kSlowReply && !v.claimedSuccess && !v.hang;
    if (v.hang || v.crash || v.falseSuccess || v.lostData || outcomes[i].stuck) {
      report(i, runs[i], outcomes[i]);
    }
  }

  std::cout << "runs                " << runs.size() << '\n'
            << "faults injected     " << faults << '\n'
            << "hangs               " << hangs << '\n'
            << "crashes             " << crashes << '\n'
            << "false successes     " << falseSuccesses << '\n'
            << "lost data           " << lostData << '\n'
            << "did not work again  " << stuck << '\n'
            << "(" << succeeded << " told success, " << runs.size() - succeeded << " failed, "
            << slowFailed << " failed on a slow reply alone, " << believed
            << " took a corrupted reply at its word, " << unguarded
            << " ran healthy on data the tool does not guard; ";
  bool first = true;
  for (const auto& [name, count] : byFault) {
    std::cout << (first ? "" : ", ") << name << ' ' << count;
    first = false;
  }
  std::cout << "; " << static_cast<int>(seconds) << " s)" << std::endl;

  const bool clean =
      healthy && hangs == 0 && crashes == 0 && falseSuccesses == 0 && lostData == 0 && stuck == 0;
  // A hung run's thread is still going; leave without waiting for it.
  std::cout.flush();
  std::_Exit(clean ? 0 : 1);
}

}  // namespace
}  // namespace tarvex::reliability

int main(int argc, char** argv) {
  tarvex::reliability::Options options;
  if (!tarvex::reliability::parse(argc, argv, &options)) {
    std::cerr << "usage: soak_reliability [--runs N] [--seed S] [--jobs J] [--verify-faults 0|1]\n";
    return 2;
  }
  return tarvex::reliability::soak(options);
}
