#include "app/tarvex_application.h"

#include <exception>

#include "app/qt_frame/error_report.h"
#include "app/qt_frame/qt_dialog_provider.h"

namespace tarvex {

TarvexApplication::TarvexApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The name of the task-bar entry and of the message boxes; window captions stay as set.
  setApplicationName(kApplicationTitle);
}

bool TarvexApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    reportUnhandledError(error.what());
  } catch (...) {
    reportUnhandledError("");
  }
  return false;
}

}  // namespace tarvex
