#pragma once
// The ITE window's own controls, beyond the frame's log, gauges and dialogs: five buttons
// enabled one by one, the preset list, the 15 pin boxes and the orientation box.

#include <string>
#include <vector>

namespace tarvex {

enum class IteButton { kSetup, kCheck, kRead, kWrite, kExit };

// Gauges of the ITE window, numbered as the frame numbers them.
inline constexpr int kIteGauge = 0;       // pages read or written
inline constexpr int kIteSpeedGauge = 1;  // position inside the page being written

class IteControls {
 public:
  virtual ~IteControls() = default;

  // May be called from the worker; the window hands it to the user-interface thread.
  virtual void setButtonEnabled(IteButton button, bool enabled) = 0;

  // The rest is called on the user-interface thread only.
  virtual void setPresetItems(const std::vector<std::string>& items, bool fileMissing) = 0;
  virtual void selectPresetItem(int index) = 0;
  // A box's index: 0 "NC", 1..32 a pin, kNoSelection for a text not in the list.
  virtual int pinIndex(int box) const = 0;
  virtual void setPinIndex(int box, int index) = 0;
  virtual bool orientationChecked() const = 0;
  // Sets the check mark only; the tool runs the mirroring itself when it must.
  virtual void setOrientationChecked(bool checked) = 0;
  virtual void setOrientationEnabled(bool enabled) = 0;
};

}  // namespace tarvex
