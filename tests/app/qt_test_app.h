#pragma once
// The one application object of the widget tests, and a bounded wait that keeps the event
// loop turning.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace tarvex::test {

// Processes events until the condition holds; false if it did not within the bound.
inline bool waitUntil(const std::function<bool()>& condition, int boundMs = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > boundMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace tarvex::test
