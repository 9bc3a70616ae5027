#pragma once
// Runs an operation of several link sessions (a PhaseChain) from a window: each phase's
// own part on the user-interface thread, its work on a fresh tool worker; the next phase
// starts, on the user-interface thread again, once that worker has ended.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

#include "widgets/tool_thread.h"
#include "frame/phase_chain.h"

namespace tarvex {

class ChainDriver final : public QObject {
  Q_OBJECT
 public:
  // Creates (without starting) the tool's worker that runs one phase's work.
  using MakeWorker = std::function<ToolThread*(std::function<void()> body)>;

  ChainDriver(MakeWorker makeWorker, QObject* parent) : QObject(parent), makeWorker_(std::move(makeWorker)) {}

  // Starts the chain; refused (false) while another runs.
  bool start(PhaseChain chain);
  bool running() const { return running_; }

 signals:
  // The chain has run to its end (on the user-interface thread, after its last phase).
  void ended();

 private:
  void advance();

  MakeWorker makeWorker_;
  PhaseChain chain_;
  bool running_ = false;
};

}  // namespace tarvex
