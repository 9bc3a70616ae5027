#include "bench/chain_measure.h"

#include <thread>

namespace tarvex::bench {

Measurement measureChain(emu::EmulatedAdapter& adapter, TimingBus& bus, PhaseChain chain,
                         ChainSpan span) {
  using std::chrono::duration;
  using std::chrono::steady_clock;
  Measurement m;
  adapter.clearRecords();
  bus.clear();
  m.startedAt = steady_clock::now();
  const double handlerCpu = threadCpuSeconds();
  double workerCpu = 0;
  double workSeconds = 0;
  runChain(chain, [&](const PhaseStep& step) {
    bool result = false;
    const auto started = steady_clock::now();
    std::thread worker([&] {
      const double cpu = threadCpuSeconds();
      result = step.work();
      workerCpu += threadCpuSeconds() - cpu;
    });
    worker.join();
    workSeconds += duration<double>(steady_clock::now() - started).count();
    return result;
  });
  const bool fromClick = span == ChainSpan::kFromClick;
  m.cpuSeconds = (fromClick ? threadCpuSeconds() - handlerCpu : 0) + workerCpu;
  m.measuredSeconds =
      fromClick ? duration<double>(steady_clock::now() - m.startedAt).count() : workSeconds;
  m.reactionsUs = microseconds(adapter.reactionTimes());
  m.workUs = bus.workUs();
  return m;
}

}  // namespace tarvex::bench
