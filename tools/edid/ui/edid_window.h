#pragma once
// The EDID EEPROM tool window: its log, gauges and EXIT button on the shared tool window frame.

#include <QPushButton>

#include "app/qt_frame/qt_tool_view.h"

namespace tarvex {

class TEDID_form : public QtToolView {
  Q_OBJECT
 public:
  explicit TEDID_form(AppContext& context, QWidget* parent = nullptr);

  QPushButton* EXIT_EDID = nullptr;

  // While idle: clear the log, show the main window, hide this one.
  void EXIT_EDIDClick();
};

}  // namespace tarvex
