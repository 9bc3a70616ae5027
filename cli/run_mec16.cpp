// The MEC16xx tool: the check on the calling thread; erase, read and write with a worker.

#include "cli/run_cli.h"
#include "cli/runners.h"
#include "cli/safety_options.h"
#include "cli/terminal_view.h"
#include "cli/worker.h"
#include "tools/mec16/mec16_double_read.h"
#include "tools/mec16/mec16_safe_ops.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex::cli {
namespace {

// The MEC16 window's view on the terminal; its protection indicators repeat what the log
// says in words, so they show nothing here.
class Mec16Terminal final : public mec16::Mec16View {
 public:
  explicit Mec16Terminal(TerminalView& view) : view_(view) {}
  void logLine(const std::string& line) override { view_.logLine(line); }
  void clearLog() override { view_.clearLog(); }
  void setGaugeMaximum(int g, int maximum) override { view_.setGaugeMaximum(g, maximum); }
  void setGaugeProgress(int g, int progress) override { view_.setGaugeProgress(g, progress); }
  void setGaugeColor(int g, Rgb color) override { view_.setGaugeColor(g, color); }
  void setStartButtonsEnabled(bool enabled) override { view_.setStartButtonsEnabled(enabled); }
  std::optional<std::string> chooseFile(const FileDialogSpec& request) override {
    return view_.chooseFile(request);
  }
  void showErrorBox(const std::string& text) override { view_.showErrorBox(text); }
  bool askYesNo(const std::string& question) override { return view_.askYesNo(question); }
  void setIndicator(mec16::Indicator, Rgb) override {}

 private:
  TerminalView& view_;
};

}  // namespace

int runMec16(const Command& command, const CliEnv& env) {
  const auto bus = env.openBus(command.port);
  // The gauge's maximum when the window is created; each operation sets its own.
  TerminalView view(env, 768);
  view.answerDialogsWith(command.file);
  Mec16Terminal terminal(view);
  mec16::Mec16Tool tool(*bus, terminal, env.bounds.mec16);

  switch (command.operation) {
    case Operation::kMec16Check:
      return tool.connectionCheck() ? kExitSuccess : kExitFailure;
    case Operation::kMec16Erase: {
      // The erase cannot be cut short; it runs on the worker so a Ctrl-C meanwhile is told
      // how long it still takes: the busy poll, its last status and the release. The backup
      // before it and the blank check after it stop at once.
      mec16::Mec16SafeOps safe(tool, terminal);
      PhaseChain chain = safe.erase(safetyOptionsOf(command, env), command.info);
      const mec16::Mec16Bounds& b = env.bounds.mec16;
      superviseChain(chain, env, view, [&tool] { tool.exitOrStop(); },
                     "the chip erase cannot stop part-way; it ends " +
                         endsWithin(b.chipErase + 2 * b.shortReply) +
                         " (Ctrl-C again quits at once, leaving the chip half erased)");
      return safe.succeeded() ? kExitSuccess : kExitFailure;
    }
    case Operation::kMec16Read: {
      if (!command.singleRead) {
        // Two reads compared; Ctrl-C stops the read in progress after its block.
        DoubleRead twice = mec16::mec16DoubleRead(tool, terminal, command.info);
        PhaseChain chain = twice.chain();
        superviseChain(chain, env, view, [&tool] { tool.exitOrStop(); },
                       Supervision::readGoesOnNote());
        return twice.succeeded() ? kExitSuccess : kExitFailure;
      }
      if (!tool.startRead(command.info)) return kExitFailure;
      Worker worker;
      worker.start([&tool] { return tool.runWorker(); });
      Supervision supervision;
      // The read stops after the block in flight, releasing the controller.
      supervision.stop = [&tool] { tool.exitOrStop(); };
      return supervise(worker, env, view, supervision) ? kExitSuccess : kExitFailure;
    }
    case Operation::kMec16Write: {
      // Only the main block can be written: the window's information box stays off.
      mec16::Mec16SafeOps safe(tool, terminal);
      PhaseChain chain = safe.write(safetyOptionsOf(command, env), false);
      superviseChain(chain, env, view, [&tool] { tool.exitOrStop(); },
                     Supervision::halfDoneNote());
      return safe.succeeded() ? kExitSuccess : kExitFailure;
    }
    default:
      return kExitFailure;
  }
}

}  // namespace tarvex::cli
