#pragma once
// The keyboard tester window: its log, gauges and EXIT button on the shared tool window frame.

#include <QPushButton>

#include "app/qt_frame/qt_tool_view.h"

namespace tarvex {

class TKeyboard_testing : public QtToolView {
  Q_OBJECT
 public:
  explicit TKeyboard_testing(AppContext& context, QWidget* parent = nullptr);

  QPushButton* EXIT_KB_TEST = nullptr;

  // While idle: show the main window, hide this one.
  void EXIT_KB_TESTClick();
};

}  // namespace tarvex
