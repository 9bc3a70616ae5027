// The KB90xx tool: read and write with their worker, and the wiring help.

#include "cli/board_list.h"
#include "cli/run_cli.h"
#include "cli/runners.h"
#include "cli/safety_options.h"
#include "cli/terminal_view.h"
#include "cli/worker.h"
#include "base/printable.h"
#include "tools/kb90/kb90_commands.h"
#include "tools/kb90/kb90_double_read.h"
#include "tools/kb90/kb90_messages.h"
#include "tools/kb90/kb90_safe_write.h"
#include "tools/kb90/kb90_tool.h"
#include "tools/kb90/wiring_help.h"

namespace tarvex::cli {
namespace {

// The window's buttons have nothing to show here.
class NoButtons final : public kb90::Kb90View {
 public:
  void setButtonEnabled(kb90::Kb90Button, bool) override {}
};

// The wiring help's controls: the mainboard list, the result label and its message boxes.
class WiringAnswers final : public kb90::WiringView {
 public:
  void addBoardItems(const std::vector<std::string>& items) override { boards = items; }
  void setChoicesEnabled(bool) override {}
  void setChoiceText(kb90::WiringChoice, const std::string&) override {}
  void setChoiceColor(kb90::WiringChoice, kb90::ChoiceColor) override {}
  void setResultText(const std::string& text) override { result = text; }
  void showWiringError(const std::string& text) override { error = text; }

  std::vector<std::string> boards;
  std::string result;
  std::string error;
};

}  // namespace

int runKb90(const Command& command, const CliEnv& env) {
  const auto bus = env.openBus(command.port);
  TerminalView view(env, kb90::kGaugeMaximum);
  view.answerDialogsWith(command.file);
  NoButtons buttons;
  kb90::Kb90Tool tool(*bus, view, buttons, env.bounds.kb90);

  const bool reading = command.operation == Operation::kKb90Read;
  if (!reading) {
    // The backup read and the write: neither stops part-way.
    SafeChange safe = kb90::kb90SafeWrite(tool, view);
    SafetyOptions options = safetyOptionsOf(command, env);
    options.verify = false;  // the adapter verifies the write itself
    PhaseChain chain = safe.chain(options);
    superviseChain(chain, env, view, [] {}, Supervision::halfDoneNote());
    return safe.succeeded() ? kExitSuccess : kExitFailure;
  }
  if (!command.singleRead) {
    // Two reads compared; neither stops part-way.
    DoubleRead twice = kb90::kb90DoubleRead(tool, view);
    PhaseChain chain = twice.chain();
    superviseChain(chain, env, view, [] {}, Supervision::readGoesOnNote());
    return twice.succeeded() ? kExitSuccess : kExitFailure;
  }
  if (!tool.readClick()) return kExitFailure;
  // As the window does: the worker first, then the rest of the click handler names the
  // transfer and sends its first command.
  Worker worker;
  worker.start([&tool] { return tool.runWorker(); });
  tool.beginTransfer();
  Supervision supervision;
  if (reading) supervision.cannotStop = Supervision::readGoesOnNote();
  return supervise(worker, env, view, supervision) ? kExitSuccess : kExitFailure;
}

int runKb90Wiring(const Command& command, const CliEnv& env) {
  TerminalView view(env);
  WiringAnswers answers;
  kb90::WiringHelp help(answers);
  if (!help.load(env.kb90BaseFile)) {
    view.printLine(answers.result);
    return kExitFailure;
  }
  if (command.list) {
    for (const std::string& line : boardListLines(answers.boards)) view.printLine(line);
    return kExitSuccess;
  }
  if (command.entry > static_cast<int>(answers.boards.size())) {
    view.note(printable(env.kb90BaseFile) + " has " + std::to_string(answers.boards.size()) +
              " entries, not " + std::to_string(command.entry));
    return kExitFailure;
  }
  view.note(chosenBoard(command.entry, answers.boards[command.entry - 1]));
  const kb90::WiringInputs inputs{answers.boards[command.entry - 1],
                                  std::to_string(command.cablePins) + " pin",
                                  !command.reversed};
  help.boardSelected(inputs);
  help.cableSelected(inputs);
  if (!answers.error.empty()) {
    view.note(answers.error);
    return kExitFailure;
  }
  view.printLine(answers.result);
  // The two other labels the help can show say why it has no answer.
  const bool answered =
      answers.result != kb90::text::kDataFormatError && answers.result != kb90::text::kCableTooSmall;
  return answered ? kExitSuccess : kExitFailure;
}

}  // namespace tarvex::cli
