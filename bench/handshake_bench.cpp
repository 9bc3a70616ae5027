// Handshakes against the software adapter with the wire model on: how fast the host
// answers a complete reply (its reaction time) and how much CPU it burns while it waits.
// Waiting must block, not spin: spinning on the queue count would show as ~100 % CPU.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "emulator/emulator_bus.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "link/wait_bounds.h"

namespace {

using namespace std::chrono;
using namespace tarvex;

class NullLog : public LogSink {
 public:
  void logLine(const std::string&) override {}
};

double threadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(p * (values.size() - 1));
  return values[index];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  emu::EmulatorBus bus;
  auto adapter = bus.attach(emu::tags::v41());
  adapter->setWireModel({.enabled = true});

  NullLog log;
  LinkState link(buffer_size::kKb90);
  if (OpenAdapterLink(bus, link_params::kKb90, link, log) != kLinkReady) {
    std::fprintf(stderr, "no adapter answered\n");
    return 1;
  }
  adapter->clearRecords();

  const auto wallStart = steady_clock::now();
  const double cpuStart = threadCpuSeconds();
  int failures = 0;
  for (int i = 0; i < rounds; ++i) {
    sendByte(link, 'B');
    if (receive(link, 0, 3, bounds::kShortReply) != WaitResult::kReady) ++failures;
  }
  const double cpu = threadCpuSeconds() - cpuStart;
  const double wall = duration<double>(steady_clock::now() - wallStart).count();
  CloseAdapterLink(link);

  std::vector<double> reactionsUs;
  for (auto r : adapter->reactionTimes()) reactionsUs.push_back(duration<double, std::micro>(r).count());

  std::printf("handshakes: %d (failed %d), wall %.3f s, %.1f us per exchange\n", rounds, failures,
              wall, wall * 1e6 / rounds);
  std::printf("host reaction time: median %.1f us, p99 %.1f us (%zu samples)\n",
              percentile(reactionsUs, 0.5), percentile(reactionsUs, 0.99), reactionsUs.size());
  std::printf("host CPU while waiting: %.2f %% of one core\n", 100.0 * cpu / wall);
  return failures == 0 ? 0 : 1;
}
