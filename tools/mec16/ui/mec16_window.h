#pragma once
// The MEC16xx tool window: its log, gauges and EXIT button on the shared tool window frame.

#include <QPushButton>

#include "app/qt_frame/qt_tool_view.h"

namespace tarvex {

class TMEC16_Form : public QtToolView {
  Q_OBJECT
 public:
  explicit TMEC16_Form(AppContext& context, QWidget* parent = nullptr);

  QPushButton* EXIT_MEC16 = nullptr;

  // While idle: show the main window, hide this one.
  void EXIT_MEC16Click();
};

}  // namespace tarvex
