#include "app/shell.h"

#include <QWidget>

#include "app/main_window.h"
#include "app/testing_window.h"
#include "tools/edid/ui/edid_window.h"
#include "tools/ite/ui/ite_window.h"
#include "tools/kb90/ui/kb90_window.h"
#include "tools/keyboard/ui/keyboard_window.h"
#include "tools/mec16/ui/mec16_window.h"

namespace tarvex {

Shell::Shell(FtBus& bus, DialogProvider& dialogs, BaseFilePaths paths)
    : context_{bus, dialogs, [this] { showMainWindow(); }, std::move(paths.kb90),
               std::move(paths.ite)} {
  // Each window's constructor is its creation handler (the KB90xx window reads its
  // connection base file, the ITE window its presets). Tool state that lasts between visits
  // (mode word "NONE", empty file names) starts with the tool's window.
  auto keep = [this](auto* window) {
    owned_.emplace_back(window);
    return window;
  };
  windows_.Form1 = keep(new TForm1(windows_));
  windows_.EDID_form = keep(new TEDID_form(context_));
  windows_.KB901X_forms = keep(new TKB901X_forms(context_));
  windows_.Keyboard_testing = keep(new TKeyboard_testing(context_));
  windows_.TESTING = keep(new TTESTING(bus));
  windows_.MEC16_Form = keep(new TMEC16_Form(context_));
  windows_.ITE_FORM = keep(new TITE_FORM(context_));
  for (auto& window : owned_) window->hide();
}

Shell::~Shell() {
  extra_.clear();
  // The tool windows go first, the main window last, the reverse of their creation.
  while (!owned_.empty()) owned_.pop_back();
}

std::vector<QWidget*> Shell::windowsInCreationOrder() const {
  std::vector<QWidget*> windows;
  for (const auto& window : owned_) windows.push_back(window.get());
  return windows;
}

void Shell::keepWindow(std::unique_ptr<QWidget> window) {
  extra_.push_back(std::move(window));
}

void Shell::showMainWindow() {
  windows_.Form1->show();
  windows_.Form1->raise();
  windows_.Form1->activateWindow();
}

}  // namespace tarvex
