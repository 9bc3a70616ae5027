#pragma once
// The ITE tool window: its log, gauges and EXIT button on the shared tool window frame.

#include <QPushButton>

#include "app/qt_frame/qt_tool_view.h"

namespace tarvex {

class TITE_FORM : public QtToolView {
  Q_OBJECT
 public:
  explicit TITE_FORM(AppContext& context, QWidget* parent = nullptr);

  QPushButton* ITE_EXIT_BitBtn = nullptr;

  // While idle: clear the log, show the main window, hide this one, gauge to 0.
  void ITE_EXIT_BitBtnClick();
};

}  // namespace tarvex
