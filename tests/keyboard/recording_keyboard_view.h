#pragma once
// The recording view with the keyboard tester's own controls: cell repaints, captions and
// timer states, in the order the tool asked for them.

#include <functional>
#include <utility>
#include <vector>

#include "tests/support/recording_view.h"
#include "tools/keyboard/keyboard_controls.h"

namespace tarvex::test {

class RecordingKeyboardView : public RecordingView, public keyboard::KeyboardControls {
 public:
  void cellChanged(int first, int second) override {
    std::lock_guard lock(mutex_);
    cells_.emplace_back(first, second);
  }
  void allCellsChanged() override {
    std::lock_guard lock(mutex_);
    ++allCells_;
  }
  void setExitCaption(const std::string& caption) override {
    std::lock_guard lock(mutex_);
    captions_.push_back(caption);
  }
  void setScanTimerEnabled(bool enabled) override {
    std::lock_guard lock(mutex_);
    timer_.push_back(enabled);
  }
  void setStartButtonsEnabled(bool enabled) override {
    RecordingView::setStartButtonsEnabled(enabled);
    if (enabled && onButtonsEnabled) onButtonsEnabled();
  }

  // Called as the start button comes back, on whichever thread asked for it.
  std::function<void()> onButtonsEnabled;

  std::vector<std::pair<int, int>> changedCells() const {
    std::lock_guard lock(mutex_);
    return cells_;
  }
  int allCellsRepaints() const {
    std::lock_guard lock(mutex_);
    return allCells_;
  }
  std::vector<std::string> captions() const {
    std::lock_guard lock(mutex_);
    return captions_;
  }
  std::vector<bool> timerStates() const {
    std::lock_guard lock(mutex_);
    return timer_;
  }

 private:
  std::vector<std::pair<int, int>> cells_;
  int allCells_ = 0;
  std::vector<std::string> captions_;
  std::vector<bool> timer_;
};

}  // namespace tarvex::test
