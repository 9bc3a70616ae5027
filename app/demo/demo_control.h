#pragma once
// The demo program's bench control: not part of Tarvex itself. It chooses the firmware of
// the simulated adapter and what sits behind it, and pulls the cable or silences the
// adapter, so every path of the program can be tried without hardware.

#include <QWidget>

#include "emulator/bench/demo_bench.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tarvex {

class DemoControl : public QWidget {
  Q_OBJECT
 public:
  explicit DemoControl(emu::DemoBench& bench, QWidget* parent = nullptr);

  QComboBox* firmware = nullptr;
  QComboBox* target = nullptr;
  QCheckBox* unplugged = nullptr;
  QCheckBox* silent = nullptr;
  // Switches the line's timing off: operations end at once.
  QCheckBox* fastLine = nullptr;
  // Presses a key of the simulated laptop keyboard, for the keyboard tester.
  QComboBox* key = nullptr;
  QPushButton* pressKey = nullptr;

 private:
  void showBench();

  emu::DemoBench& bench_;
};

}  // namespace tarvex
