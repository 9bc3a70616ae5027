#include "app/tarvex_application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <exception>

#include "widgets/error_report.h"
#include "widgets/qt_dialog_provider.h"

namespace tarvex {

TarvexApplication::TarvexApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The name of the task-bar entry and of the message boxes (and the class of the windows
  // on X11, which the desktop entry's StartupWMClass names); window captions stay as set.
  setApplicationName(kApplicationTitle);
  setDesktopFileName(kDesktopFileName);
  setWindowIcon(QIcon(QStringLiteral(":/tarvex/org.tarvex.Tarvex.png")));
  useQtTranslations(QLocale::system());
}

bool TarvexApplication::useQtTranslations(const QLocale& locale) {
  if (qtTranslatorInstalled_) {
    removeTranslator(&qtTranslator_);
    qtTranslatorInstalled_ = false;
  }
  // The program's own texts are English and Russian: Qt's buttons follow only a Russian
  // system, so a dialog never mixes a third language in.
  if (locale.language() != QLocale::Russian) return false;
  if (!qtTranslator_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  qtTranslatorInstalled_ = installTranslator(&qtTranslator_);
  return qtTranslatorInstalled_;
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
