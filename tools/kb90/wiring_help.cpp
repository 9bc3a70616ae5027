#include "tools/kb90/wiring_help.h"

#include "base/printable.h"
#include "tools/kb90/base_file.h"
#include "tools/kb90/kb90_messages.h"
#include "tools/kb90/wiring.h"

namespace tarvex::kb90 {

bool WiringHelp::load(const std::string& baseFilePath) {
  if (!boardChosen_) view_.setChoiceColor(WiringChoice::kBoard, ChoiceColor::kYellow);
  if (!cableChosen_) view_.setChoiceColor(WiringChoice::kCable, ChoiceColor::kYellow);

  const auto file = loadBaseFile(baseFilePath);
  if (!file) {
    view_.setResultText(std::string(text::kNoBaseFile) + "\n" + text::kBaseFileLookedFor +
                        printable(baseFilePath));
    view_.setChoiceColor(WiringChoice::kBoard, ChoiceColor::kButtonFace);
    view_.setChoiceColor(WiringChoice::kCable, ChoiceColor::kButtonFace);
    return false;
  }
  view_.setChoicesEnabled(true);
  view_.setChoiceText(WiringChoice::kBoard, text::kChooseBoard);
  view_.setChoiceText(WiringChoice::kCable, text::kChooseCable);
  // The label says when the list was cut; it is what a missing mainboard would come from.
  view_.setResultText(file->cut ? text::kBaseFileCut : "");
  view_.addBoardItems(file->entries);
  return true;
}

void WiringHelp::boardSelected(const WiringInputs& inputs) {
  view_.setChoiceColor(WiringChoice::kBoard, ChoiceColor::kButtonFace);
  boardChosen_ = true;
  if (cableChosen_) evaluate(inputs);
}

void WiringHelp::cableSelected(const WiringInputs& inputs) {
  view_.setChoiceColor(WiringChoice::kCable, ChoiceColor::kButtonFace);
  cableChosen_ = true;
  if (boardChosen_) evaluate(inputs);
}

void WiringHelp::orientationClicked(const WiringInputs& inputs) {
  if (boardChosen_ && cableChosen_) evaluate(inputs);
}

void WiringHelp::evaluate(const WiringInputs& inputs) {
  const WiringOutcome outcome = evaluateWiring(inputs.board, inputs.cable, inputs.straight);
  if (outcome.kind == WiringOutcome::Kind::kErrorBox) {
    view_.showWiringError(outcome.text);
  } else {
    view_.setResultText(outcome.text);
  }
}

}  // namespace tarvex::kb90
