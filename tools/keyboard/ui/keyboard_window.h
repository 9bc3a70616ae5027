#pragma once
// The keyboard tester window: the grid of 496 pin-pair cells with its pin labels, the
// " No sound" box, EXIT/STOP, Clear, START SCAN, the log and the 100 ms scan timer.

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <array>

#include "widgets/qt_tool_view.h"
#include "tools/keyboard/keyboard_controls.h"
#include "tools/keyboard/keyboard_tool.h"
#include "tools/keyboard/pin_grid.h"

namespace tarvex {

class CellShape;
class ReadThread_keyboard;

class TKeyboard_testing : public QtToolView, public keyboard::KeyboardControls {
  Q_OBJECT
 public:
  explicit TKeyboard_testing(AppContext& context, QWidget* parent = nullptr,
                             keyboard::ScanBounds bounds = {});
  // A scan still running is asked to stop and given its bounds to end.
  ~TKeyboard_testing() override;

  QLabel* Label_keybord = nullptr;
  QCheckBox* Buzzer_box = nullptr;
  QPushButton* EXIT_KB_TEST = nullptr;
  QPushButton* Clear = nullptr;
  QPushButton* START_SCAN = nullptr;
  QTimer* Timer_keyboard_scan = nullptr;

  void START_SCANClick();
  void EXIT_KB_TESTClick();
  void ClearClick();
  void Buzzer_boxClick();
  void Timer_keyboard_scanTimer();

  // The shape of pair (first, second), nullptr for a pair that names no cell.
  CellShape* shape(int first, int second) const;
  keyboard::KeyboardTool& tool() { return tool_; }
  // True while a worker started by START SCAN has not yet finished.
  bool workerRunning() const;

  // KeyboardControls
  void cellChanged(int first, int second) override;
  void allCellsChanged() override;
  void setExitCaption(const std::string& caption) override;
  void setScanTimerEnabled(bool enabled) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void createGrid();
  void createLabels();
  void createControls();
  void paintCell(int first, int second);

  keyboard::KeyboardTool tool_;
  std::array<CellShape*, keyboard::cellNumber(keyboard::kPinCount, keyboard::kPinCount) + 1>
      shapes_{};
  QPointer<ReadThread_keyboard> worker_;
  bool centred_ = false;
};

}  // namespace tarvex
