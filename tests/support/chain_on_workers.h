#pragma once
// Runs a chain of link sessions to its end as a window does: each step's work on a thread
// of its own, joined before the chain goes on. `beforeWork(n)` and `afterWork(n)` (n from
// 0) run on the calling thread around the n-th work, where a test meddles with the chip.

#include <functional>
#include <thread>

#include "frame/phase_chain.h"

namespace tarvex::test {

inline void runChainOnWorkers(PhaseChain& chain,
                              const std::function<void(int)>& beforeWork = {},
                              const std::function<void(int)>& afterWork = {}) {
  int works = 0;
  runChain(chain, [&](const PhaseStep& step) {
    const int n = works++;
    if (beforeWork) beforeWork(n);
    bool result = false;
    std::thread worker([&] { result = step.work(); });
    worker.join();
    if (afterWork) afterWork(n);
    return result;
  });
}

}  // namespace tarvex::test
