#pragma once
// What the benchmarks share: the CPU clock of the calling thread, percentiles, the ideal
// line (what the modelled wire and adapter need with a host that answers every reply the
// moment it shows), and the report each benchmark prints, readable by eye and, on its
// "row" line, by scripts/perf.sh.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "emulator/wire_model.h"

namespace tarvex::bench {

// CPU time (user + system) the calling thread has used, in seconds.
double threadCpuSeconds();

// The p-quantile (0..1) of the values, nearest rank; 0 for none.
double percentile(std::vector<double> values, double p);

std::vector<double> microseconds(const std::vector<emu::Clock::duration>& durations);

// The modelled line, exchange by exchange, for a host with no reaction time at all.
class IdealLine {
 public:
  // start: when the run being modelled began; the USB frames fall where they fell for it,
  // which matters for operations only a few frames long. latency: the FTDI latency timer
  // the link sets after the handshake.
  IdealLine(const emu::WireModel& wire, emu::Clock::time_point start,
            std::chrono::milliseconds latency = std::chrono::milliseconds(2));
  // The host writes `request` bytes in one write (none: it only waits); the firmware works
  // `work`, then sends the reply in pieces of the given sizes, each `gap` after the one
  // before. The host's next request follows the last piece becoming visible. A closing
  // request that gets no reply (the outcome signal, the end of a scan) costs the host only
  // its write, so it is not modelled.
  void exchange(std::size_t request, std::chrono::microseconds work = std::chrono::microseconds(0),
                const std::vector<std::size_t>& pieces = {},
                std::chrono::microseconds gap = std::chrono::microseconds(0));
  // The FTDI latency timer from now on (the handshake may run with the chip's default).
  void setLatency(std::chrono::milliseconds latency) { latency_ = latency; }
  // Shorthand for a request answered by one reply of `reply` bytes.
  void ask(std::size_t request, std::size_t reply) { exchange(request, {}, {reply}); }
  // The host waits for its own timer: nothing goes out before this long after the start.
  void notBefore(emu::Clock::duration sinceStart) { now_ = std::max(now_, start_ + sinceStart); }
  double seconds() const;

 private:
  const emu::WireModel wire_;
  std::chrono::milliseconds latency_;
  const emu::Clock::time_point start_;
  emu::Clock::time_point now_;
  emu::Clock::time_point lineFree_;
};

struct Measurement {
  std::string operation;
  emu::Clock::time_point startedAt;  // when the measured part began
  double modelledSeconds = 0;
  double measuredSeconds = 0;
  std::vector<double> reactionsUs;  // the host's reaction to each complete reply
  std::vector<double> workUs;       // of which the host's work after waking (TimingBus)
  double cpuSeconds = 0;            // the host thread that streams
  bool succeeded = false;
  std::string note;  // what the run did, for the table
};

// Prints the measurement for people and as one tab-separated "row" line:
//   row <operation> <modelled s> <measured s> <ratio> <median us> <p99 us> <samples> <cpu %> <ok>
//       <note> <work median us> <work p99 us>
void report(const Measurement& m);

// A unique empty scratch directory under the system's temporary directory.
std::string scratchDirectory(const std::string& name);

}  // namespace tarvex::bench
