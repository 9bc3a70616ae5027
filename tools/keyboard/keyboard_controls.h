#pragma once
// The keyboard tester's own controls, beyond the frame's log and start button: the cell
// grid, the EXIT/STOP caption and the scan timer. A window carries calls made on the
// worker over to the user-interface thread, in order.

#include <string>

namespace tarvex::keyboard {

class KeyboardControls {
 public:
  virtual ~KeyboardControls() = default;
  // The colour of the cell (first, second) changed; the window repaints it from the tool's
  // grid, so a repaint that lands after a Clear never brings back an old colour.
  virtual void cellChanged(int first, int second) = 0;
  // Every cell changed (Clear).
  virtual void allCellsChanged() = 0;
  virtual void setExitCaption(const std::string& caption) = 0;
  virtual void setScanTimerEnabled(bool enabled) = 0;
};

}  // namespace tarvex::keyboard
