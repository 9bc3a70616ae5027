// The keyboard tester: a scan that prints each toggled cell as "first-second colour".

#include <cmath>

#include "cli/run_cli.h"
#include "cli/runners.h"
#include "cli/terminal_view.h"
#include "cli/worker.h"
#include "tools/keyboard/keyboard_tool.h"

namespace tarvex::cli {
namespace {

// The window's scan timer period: one request per tick.
constexpr std::chrono::milliseconds kScanPeriod{100};

std::string colorName(Rgb color) {
  if (color == keyboard::cell_colors::kRed) return "red";
  if (color == keyboard::cell_colors::kYellow) return "yellow";
  if (color == keyboard::cell_colors::kFuchsia) return "fuchsia";
  if (color == keyboard::cell_colors::kAqua) return "aqua";
  return "?";
}

// The grid as lines: a cell that changes colour is printed with its new colour.
class CellLines final : public keyboard::KeyboardControls {
 public:
  explicit CellLines(TerminalView& view) : view_(view) {}
  void watch(const keyboard::CellGrid& cells) { cells_ = &cells; }

  void cellChanged(int first, int second) override {
    view_.printLine(std::to_string(first) + "-" + std::to_string(second) + " " +
                    colorName(cells_->color(first, second)));
  }
  void allCellsChanged() override {}
  void setExitCaption(const std::string&) override {}
  void setScanTimerEnabled(bool) override {}

 private:
  TerminalView& view_;
  const keyboard::CellGrid* cells_ = nullptr;
};

}  // namespace

int runKeyboard(const Command& command, const CliEnv& env) {
  const auto bus = env.openBus(command.port);
  TerminalView view(env);
  CellLines cells(view);
  keyboard::KeyboardTool tool(*bus, view, cells, env.bounds.keyboard);
  cells.watch(tool.cells());
  tool.setNoSound(command.noSound);

  Worker worker;
  if (!tool.startScanClick([&] { worker.start([&tool] { return tool.runScan(); }); })) {
    return kExitFailure;
  }
  Supervision supervision;
  supervision.tick = [&tool] { tool.timerTick(); };
  supervision.tickPeriod = kScanPeriod;
  // STOP ends the scan after the reply in flight, with the closing 'Q'; the timer keeps
  // ticking until then.
  supervision.stop = [&tool] { tool.exitClick(); };
  if (command.seconds) {
    const auto length = std::chrono::duration<double>(*command.seconds);
    supervision.stopAt =
        std::chrono::steady_clock::now() +
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(length);
  }
  return supervise(worker, env, view, supervision) ? kExitSuccess : kExitFailure;
}

}  // namespace tarvex::cli
