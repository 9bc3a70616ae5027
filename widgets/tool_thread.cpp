#include "widgets/tool_thread.h"

#include <exception>

#include "widgets/error_report.h"

namespace tarvex {

ToolThread::ToolThread() : QThread(nullptr) {
  connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void ToolThread::run() {
  // An error escaping a worker would end the process; report it as a handler's would be.
  try {
    Execute();
  } catch (const std::exception& error) {
    reportUnhandledError(error.what());
  } catch (...) {
    reportUnhandledError("");
  }
  ended_.store(true, std::memory_order_release);
}

bool ToolThread::wait(QDeadlineTimer deadline) {
  const bool finished = QThread::wait(deadline);
  if (finished) ended_.load(std::memory_order_acquire);
  return finished;
}

}  // namespace tarvex
