#pragma once
// The wiring help's behaviour: loading the base file when the window is created, and
// evaluating the mapping once both a mainboard and a cable are chosen.

#include <string>

#include "tools/kb90/kb90_view.h"

namespace tarvex::kb90 {

// The state of the three controls when an event comes.
struct WiringInputs {
  std::string board;  // the mainboard combo box's text
  std::string cable;  // the cable combo box's text
  bool straight = true;  // "Pin 1 connected  to pin 1 ..." is checked
};

class WiringHelp {
 public:
  explicit WiringHelp(WiringView& view) : view_(view) {}

  // FormCreate: fills the mainboard list from the base file, or says it is missing and
  // leaves the choices disabled. False when the file could not be loaded.
  bool load(const std::string& baseFilePath);

  // ComboBox_KB901XSelect, ComboBox_KB901X_FFCSelect, CheckBox_KB901XClick.
  void boardSelected(const WiringInputs& inputs);
  void cableSelected(const WiringInputs& inputs);
  void orientationClicked(const WiringInputs& inputs);

  bool boardChosen() const { return boardChosen_; }
  bool cableChosen() const { return cableChosen_; }

 private:
  void evaluate(const WiringInputs& inputs);

  WiringView& view_;
  bool boardChosen_ = false;
  bool cableChosen_ = false;
};

}  // namespace tarvex::kb90
