#include "widgets/error_report.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>
#include <mutex>

namespace tarvex {

namespace {

std::mutex& reporterMutex() {
  static std::mutex mutex;
  return mutex;
}

ErrorReporter& reporterSlot() {
  static ErrorReporter reporter;
  return reporter;
}

void reportNow(const std::string& text) {
  ErrorReporter reporter;
  {
    std::lock_guard lock(reporterMutex());
    reporter = reporterSlot();
  }
  if (reporter) {
    reporter(text);
  } else {
    qWarning("Unhandled error: %s", text.c_str());
  }
}

}  // namespace

void setUnhandledErrorReporter(ErrorReporter reporter) {
  std::lock_guard lock(reporterMutex());
  reporterSlot() = std::move(reporter);
}

void reportUnhandledError(const std::string& text) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app && QThread::currentThread() != app->thread()) {
    QMetaObject::invokeMethod(
        app, [text] { reportNow(text); }, Qt::QueuedConnection);
    return;
  }
  reportNow(text);
}

}  // namespace tarvex
