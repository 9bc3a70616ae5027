#pragma once
// The program's seven windows, created in their fixed order and kept until the program
// ends: the main window first, then the EDID, KB90xx, keyboard tester, connection test,
// MEC16 and ITE windows. Only the main window is shown at start.

#include <memory>
#include <string>
#include <vector>

#include "widgets/app_context.h"
#include "app/shell_windows.h"

class QWidget;

namespace tarvex {

struct BaseFilePaths {
  std::string kb90;  // the KB90xx connection base file
  std::string ite;   // the ITE presets file
};

class Shell {
 public:
  Shell(FtBus& bus, DialogProvider& dialogs, BaseFilePaths paths);
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  const ShellWindows& windows() const { return windows_; }
  std::vector<QWidget*> windowsInCreationOrder() const;
  AppContext& context() { return context_; }

  void showMainWindow();
  // A window that is not one of the seven (the demo's bench control) lives as long as they.
  void keepWindow(std::unique_ptr<QWidget> window);

 private:
  AppContext context_;
  ShellWindows windows_;
  std::vector<std::unique_ptr<QWidget>> owned_;
  std::vector<std::unique_ptr<QWidget>> extra_;
};

}  // namespace tarvex
