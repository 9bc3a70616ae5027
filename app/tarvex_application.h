#pragma once
// The application object. An error raised inside any event handler is caught where Qt
// dispatches the event, reported (the program shows it in a message box) and the program
// goes on: Qt cannot carry an exception through its event loop.
// It also gives every window the program's icon, names the desktop entry task bars match
// the windows with, and loads Qt's own texts (file dialog buttons) in Russian where the
// system speaks Russian.

#include <QApplication>
#include <QTranslator>

class QLocale;

namespace tarvex {

// The desktop entry's name without ".desktop"; Wayland task bars match windows by it.
inline constexpr const char* kDesktopFileName = "org.tarvex.Tarvex";

class TarvexApplication : public QApplication {
  Q_OBJECT
 public:
  TarvexApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Qt's own texts in the locale's language where it is Russian and the system has Qt's
  // translations; English otherwise. True when the translation is in use.
  bool useQtTranslations(const QLocale& locale);

 private:
  QTranslator qtTranslator_;
  bool qtTranslatorInstalled_ = false;
};

}  // namespace tarvex
