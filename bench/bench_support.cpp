#include "bench/bench_support.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace tarvex::bench {

using namespace std::chrono;

double threadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(rank, values.size() - 1)];
}

std::vector<double> microseconds(const std::vector<emu::Clock::duration>& durations) {
  std::vector<double> us;
  us.reserve(durations.size());
  for (auto d : durations) us.push_back(duration<double, std::micro>(d).count());
  return us;
}

IdealLine::IdealLine(const emu::WireModel& wire, emu::Clock::time_point start,
                     milliseconds latency)
    : wire_(wire), latency_(latency), start_(start), now_(start), lineFree_(start) {}

void IdealLine::exchange(std::size_t request, std::chrono::microseconds work,
                         const std::vector<std::size_t>& pieces, std::chrono::microseconds gap) {
  // The fastest host still writes a moment after the reply shows, so its request waits
  // for the next USB frame like any other.
  emu::Clock::time_point at =
      request ? wire_.requestArrival(request, now_ + nanoseconds(1)).back() : now_;
  at += work;
  emu::Clock::time_point seen = at;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) at += gap;
    seen = std::max(seen, wire_.replyVisibility(pieces[i], at, lineFree_, latency_).back());
  }
  now_ = std::max(seen, at);
}

double IdealLine::seconds() const { return duration<double>(now_ - start_).count(); }

void report(const Measurement& m) {
  const double ratio = m.modelledSeconds > 0 ? m.measuredSeconds / m.modelledSeconds : 0;
  const double median = percentile(m.reactionsUs, 0.5);
  const double p99 = percentile(m.reactionsUs, 0.99);
  const double cpu = m.measuredSeconds > 0 ? 100.0 * m.cpuSeconds / m.measuredSeconds : 0;
  std::printf("%s%s: measured %.3f s, modelled %.3f s, ratio %.3f\n", m.operation.c_str(),
              m.succeeded ? "" : " (FAILED)", m.measuredSeconds, m.modelledSeconds, ratio);
  std::printf("  host reaction: median %.1f us, p99 %.1f us (%zu samples); host CPU %.2f %% of one core\n",
              median, p99, m.reactionsUs.size(), cpu);
  const double workMedian = percentile(m.workUs, 0.5);
  const double workP99 = percentile(m.workUs, 0.99);
  std::printf("  host work after waking: median %.1f us, p99 %.1f us\n", workMedian, workP99);
  if (!m.note.empty()) std::printf("  %s\n", m.note.c_str());
  std::printf("row\t%s\t%.4f\t%.4f\t%.4f\t%.1f\t%.1f\t%zu\t%.2f\t%s\t%s\t%.1f\t%.1f\n",
              m.operation.c_str(), m.modelledSeconds, m.measuredSeconds, ratio, median, p99,
              m.reactionsUs.size(), cpu, m.succeeded ? "ok" : "FAILED", m.note.c_str(), workMedian,
              workP99);
  std::fflush(stdout);
}

std::string scratchDirectory(const std::string& name) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("tarvex_bench_" + name + "_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

}  // namespace tarvex::bench
