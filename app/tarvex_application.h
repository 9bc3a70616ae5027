#pragma once
// The application object. An error raised inside any event handler is caught where Qt
// dispatches the event, reported (the program shows it in a message box) and the program
// goes on: Qt cannot carry an exception through its event loop.

#include <QApplication>

namespace tarvex {

class TarvexApplication : public QApplication {
  Q_OBJECT
 public:
  TarvexApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tarvex
