#include "app/start_up.h"

#include <QDir>
#include <exception>

#include "widgets/error_report.h"
#include "widgets/qt_dialog_provider.h"
#include "app/tarvex_application.h"

namespace tarvex {

BaseFilePaths installedBaseFilePaths() {
#ifdef _WIN32
  return {"C:\\MB connection KB901X.txt", "C:\\MB connection IT85XX.txt"};
#else
  const std::string home = QDir::homePath().toStdString();
  return {home + "/MB connection KB901X.txt", home + "/MB connection IT85XX.txt"};
#endif
}

int runTarvex(int& argc, char** argv, FtBus& bus, BaseFilePaths paths,
              const std::function<void(Shell&)>& afterStart) {
  TarvexApplication app(argc, argv);
  // Only closing the main window ends the program: the connection test window may still
  // be open beside it.
  app.setQuitOnLastWindowClosed(false);

  QtDialogProvider dialogs;
  setUnhandledErrorReporter(
      [&dialogs](const std::string& text) { dialogs.showError(text, nullptr); });

  try {
    Shell shell(bus, dialogs, std::move(paths));
    shell.showMainWindow();
    if (afterStart) afterStart(shell);
    app.exec();
  } catch (const std::exception& error) {
    dialogs.showError(error.what(), nullptr);
  } catch (...) {
    dialogs.showError("", nullptr);
  }
  setUnhandledErrorReporter({});
  return 0;
}

}  // namespace tarvex
