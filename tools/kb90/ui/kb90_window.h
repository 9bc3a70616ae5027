#pragma once
// The KB90xx tool window: its log, gauges and EXIT button on the shared tool window frame.

#include <QPushButton>

#include "app/qt_frame/qt_tool_view.h"

namespace tarvex {

class TKB901X_forms : public QtToolView {
  Q_OBJECT
 public:
  explicit TKB901X_forms(AppContext& context, QWidget* parent = nullptr);

  QPushButton* EXIT_KB901X = nullptr;

  // While idle: clear the log, show the main window, hide this one, gauge to 0.
  void EXIT_KB901XClick();
};

}  // namespace tarvex
