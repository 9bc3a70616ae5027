#pragma once
// The EDID EEPROM tool window: read the panel EEPROM to a file, write a file into it. Each
// operation runs to its end inside its button handler; the window takes no other click
// until it is done.

#include <QPushButton>

#include "app/qt_frame/qt_tool_view.h"
#include "tools/edid/edid_tool.h"

namespace tarvex {

class TEDID_form : public QtToolView {
  Q_OBJECT
 public:
  explicit TEDID_form(AppContext& context, QWidget* parent = nullptr,
                      edid::EdidBounds bounds = {});

  QPushButton* EDID_READ = nullptr;
  QPushButton* EXIT_EDID = nullptr;
  QPushButton* EDID_WRITE = nullptr;

  void EDID_READClick();
  void EDID_WRITEClick();
  // Clear the log, show the main window, hide this one.
  void EXIT_EDIDClick();
  // The dialogs' can-close notifications: a file name was confirmed.
  void SaveDialog1CanClose();
  void OpenDialog1CanClose();

  const edid::EdidTool& tool() const { return tool_; }

 protected:
  void dialogCanClose(FileDialogSpec::Kind kind) override;

 private:
  // Runs one operation, refusing a click that arrives while another is in progress (a
  // file dialog runs its own event loop inside the handler).
  template <typename Operation>
  void runExclusive(Operation operation);

  edid::EdidTool tool_;
  bool busy_ = false;
};

}  // namespace tarvex
