#pragma once
// The base of the tools' workers (ReadThread_<tool>): created for one operation, started at
// once, deleting itself when Execute returns. Nobody waits for a worker or stops it from
// outside; the tool's stop request is the only way to cut an operation short.

#include <QDeadlineTimer>
#include <QThread>
#include <atomic>

namespace tarvex {

class ToolThread : public QThread {
  Q_OBJECT
 public:
  ToolThread();

  // QThread::wait, for a caller that goes on to use what the worker leaves behind (a window
  // being destroyed). The worker's end is also published through an atomic flag, so the
  // hand-over is visible to ThreadSanitizer, which cannot see into Qt's own locks.
  bool wait(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

 protected:
  virtual void Execute() = 0;

 private:
  void run() final;

  std::atomic<bool> ended_{false};
};

}  // namespace tarvex
