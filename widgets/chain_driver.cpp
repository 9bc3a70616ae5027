#include "widgets/chain_driver.h"

namespace tarvex {

bool ChainDriver::start(PhaseChain chain) {
  if (running_) return false;
  chain_ = std::move(chain);
  running_ = true;
  advance();
  return true;
}

void ChainDriver::advance() {
  const PhaseStep* step = chain_.advance();
  if (!step) {
    running_ = false;
    emit ended();
    return;
  }
  // The work's result is stored after everything it did, and read with acquire, so the next
  // phase sees all the worker left behind.
  auto result = std::make_shared<std::atomic<bool>>(false);
  ToolThread* worker = makeWorker_([work = step->work, result] {
    result->store(work(), std::memory_order_release);
  });
  connect(worker, &QThread::finished, this, [this, result] {
    chain_.workEnded(result->load(std::memory_order_acquire));
    advance();
  }, Qt::QueuedConnection);
  worker->start();
}

}  // namespace tarvex
