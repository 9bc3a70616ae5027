#include "app/qt_frame/tool_thread.h"

#include <exception>

#include "app/qt_frame/error_report.h"

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
}

}  // namespace tarvex
