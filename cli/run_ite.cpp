// The ITE tool: the settings from a preset or a pin list, the check, read and write.

#include "cli/board_list.h"
#include "cli/run_cli.h"
#include "cli/runners.h"
#include "cli/safety_options.h"
#include "cli/terminal_view.h"
#include "cli/worker.h"
#include "base/printable.h"
#include "tools/ite/ite_double_read.h"
#include "tools/ite/ite_messages.h"
#include "tools/ite/ite_safe_write.h"
#include "tools/ite/ite_tool.h"

namespace tarvex::cli {
namespace {

// The window's pin boxes, preset list and orientation box, without the widgets. The boxes
// start as the window's do: the first one without a selection, the others "NC".
class IteBoxes final : public IteControls {
 public:
  IteBoxes() {
    pins.fill(0);
    pins[0] = kNoSelection;
  }
  void setButtonEnabled(IteButton, bool) override {}
  void setPresetItems(const std::vector<std::string>& items, bool missing) override {
    presetItems = items;
    fileMissing = missing;
  }
  void selectPresetItem(int) override {}
  int pinIndex(int box) const override { return pins[box]; }
  void setPinIndex(int box, int index) override {
    pins[box] = index >= 0 && index <= kHighestPin ? index : kNoSelection;
  }
  bool orientationChecked() const override { return checked; }
  void setOrientationChecked(bool value) override { checked = value; }
  void setOrientationEnabled(bool) override {}

  PinAssignments pins{};
  bool checked = true;
  std::vector<std::string> presetItems;
  bool fileMissing = false;
};

// Fills the boxes from the command: a preset picked from the list (then, for a cable
// plugged the other way, the orientation box clicked), or the pin list as given.
bool setPins(const Command& command, const CliEnv& env, IteTool& tool, IteBoxes& boxes,
             TerminalView& view) {
  if (command.pins) {
    boxes.pins = *command.pins;
    return true;
  }
  tool.loadPresets(env.itePresetsFile);
  if (boxes.fileMissing) {
    // The list's only item says where the file was looked for.
    view.note(boxes.presetItems.empty() ? ite_text::kPresetFileMissing : boxes.presetItems.front());
    return false;
  }
  // Item 0 of the list is its prompt; the presets follow in file order.
  const int presets = static_cast<int>(boxes.presetItems.size()) - 1;
  if (command.preset > presets) {
    view.note(printable(env.itePresetsFile) + " has " + std::to_string(presets) + " presets, not " +
              std::to_string(command.preset));
    return false;
  }
  view.note(chosenBoard(command.preset, boxes.presetItems[command.preset]));
  if (!tool.presetSelected(command.preset)) return false;
  if (!command.reversed) return true;
  boxes.setOrientationChecked(false);
  return tool.orientationClicked();
}

// The presets' mainboards, numbered as --preset takes them; the adapter is not touched.
int listPresets(const CliEnv& env, IteTool& tool, IteBoxes& boxes, TerminalView& view) {
  tool.loadPresets(env.itePresetsFile);
  if (boxes.fileMissing || boxes.presetItems.empty()) {
    view.note(boxes.presetItems.empty() ? ite_text::kPresetFileMissing : boxes.presetItems.front());
    return kExitFailure;
  }
  // Item 0 of the list is its prompt.
  const std::vector<std::string> presets(boxes.presetItems.begin() + 1, boxes.presetItems.end());
  for (const std::string& line : boardListLines(presets)) view.printLine(line);
  return kExitSuccess;
}

// The assignments as --pins takes them, so a run from a preset can be repeated without it.
std::string pinList(const PinAssignments& pins) {
  std::string list;
  for (int box = 0; box < kPinBoxCount; ++box) {
    std::string key = kPinBoxes[box].presetKey;
    if (!list.empty()) list += ',';
    list += key + (pins[box] == kNoSelection ? std::string("-") : std::to_string(pins[box]));
  }
  return list;
}

int runStream(IteTool& tool, bool started, bool reading, const CliEnv& env, TerminalView& view) {
  if (!started) return kExitFailure;
  Worker worker;
  worker.start([&tool] { return tool.runWorker(); });
  Supervision supervision;
  if (reading) supervision.cannotStop = Supervision::readGoesOnNote();
  return supervise(worker, env, view, supervision) ? kExitSuccess : kExitFailure;
}

// The check waits for the user to plug the adapter in and cannot be cut short; it runs on
// the worker so a Ctrl-C meanwhile is told how long it still takes: the attach, the three
// identification registers and the sign-off.
int runCheck(IteTool& tool, const CliEnv& env, TerminalView& view) {
  Worker worker;
  worker.start([&tool] { return tool.checkConnection(); });
  Supervision supervision;
  const IteBounds& b = env.bounds.ite;
  supervision.cannotStop =
      "the check waits for the controller to answer and cannot stop; it ends " +
      endsWithin(b.attach + 3 * b.reply + b.drain) + " (Ctrl-C again quits at once)";
  return supervise(worker, env, view, supervision) ? kExitSuccess : kExitFailure;
}

}  // namespace

int runIte(const Command& command, const CliEnv& env) {
  const auto bus = env.openBus(command.port);
  TerminalView view(env, IteTool::kPages);
  view.answerDialogsWith(command.file);
  IteBoxes boxes;
  IteTool tool(*bus, view, boxes, env.bounds.ite);

  switch (command.operation) {
    case Operation::kIteSettings:
      if (command.list) return listPresets(env, tool, boxes, view);
      if (!setPins(command, env, tool, boxes, view)) return kExitFailure;
      view.note("pins " + pinList(boxes.pins));
      return tool.sendSettings() ? kExitSuccess : kExitFailure;
    case Operation::kIteCheck:
      return runCheck(tool, env, view);
    case Operation::kIteRead: {
      if (command.singleRead) return runStream(tool, tool.startRead(), true, env, view);
      // Two reads compared; neither stops part-way.
      DoubleRead twice = iteDoubleRead(tool, view);
      PhaseChain chain = twice.chain();
      superviseChain(chain, env, view, [] {}, Supervision::readGoesOnNote());
      return twice.succeeded() ? kExitSuccess : kExitFailure;
    }
    case Operation::kIteWrite: {
      // The backup read, the erase and write, and the read-back: none stops part-way.
      SafeChange safe = iteSafeWrite(tool, view);
      PhaseChain chain = safe.chain(safetyOptionsOf(command, env));
      superviseChain(chain, env, view, [] {}, Supervision::halfDoneNote());
      return safe.succeeded() ? kExitSuccess : kExitFailure;
    }
    default:
      return kExitFailure;
  }
}

}  // namespace tarvex::cli
