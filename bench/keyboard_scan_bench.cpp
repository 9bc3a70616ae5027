// A keyboard scan against the software adapter with the wire model on: the worker's
// request and reply exchanges, paced by a 100 ms timer as in the window, with a key pressed
// before every tick so each reply reports a pair and the host answers it with the buzzer.
// The scan's length is the timer's doing; what the host adds shows in its reaction to each
// reply and in the CPU it uses while it waits for the next tick.

#include <cstdio>
#include <thread>

#include "bench/bench_support.h"
#include "bench/timing_bus.h"
#include "emulator/emulator_bus.h"
#include "emulator/keyboard/emulated_keyboard.h"
#include "tools/keyboard/keyboard_tool.h"

namespace {

using namespace std::chrono;
using namespace tarvex;

class QuietView : public ToolView, public keyboard::KeyboardControls {
 public:
  void logLine(const std::string&) override {}
  void clearLog() override {}
  void setGaugeMaximum(int, int) override {}
  void setGaugeProgress(int, int) override {}
  void setGaugeColor(int, Rgb) override {}
  void setStartButtonsEnabled(bool) override {}
  std::optional<std::string> chooseFile(const FileDialogSpec&) override { return {}; }
  void showErrorBox(const std::string&) override {}
  void cellChanged(int, int) override {}
  void allCellsChanged() override {}
  void setExitCaption(const std::string&) override {}
  void setScanTimerEnabled(bool) override {}
};

constexpr int kTicks = 50;
constexpr auto kTickPeriod = milliseconds(100);

}  // namespace

int main() {
  emu::EmulatorBus emulator;
  bench::TimingBus bus(emulator);
  auto adapter = emulator.attach(emu::tags::v41());
  auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
  adapter->addHandler(keyboard);
  const emu::WireModel wire{.enabled = true};
  adapter->setWireModel(wire);

  QuietView view;
  keyboard::KeyboardTool tool(bus, view, view);
  bench::Measurement m;
  m.operation = "Keyboard scan";
  std::thread worker;
  steady_clock::time_point start;
  keyboard->pressKey(1, 2);  // reported in the reply to 'u'
  const bool started = tool.startScanClick([&] {
    adapter->clearRecords();
    bus.clear();
    start = steady_clock::now();
    worker = std::thread([&] {
      const double cpu = bench::threadCpuSeconds();
      m.succeeded = tool.runScan();
      m.cpuSeconds = bench::threadCpuSeconds() - cpu;
    });
  });
  if (!started) {
    std::fprintf(stderr, "the scan did not start\n");
    return 1;
  }
  // The ticks, on a fixed schedule from the start; the last one only lets STOP take effect.
  for (int tick = 1; tick <= kTicks + 1; ++tick) {
    const bool last = tick == kTicks + 1;
    if (last) tool.exitClick();
    if (!last) keyboard->pressKey(1 + tick % 31, 32);
    std::this_thread::sleep_until(start + tick * kTickPeriod);
    tool.timerTick();
  }
  worker.join();
  m.measuredSeconds = duration<double>(steady_clock::now() - start).count();
  bench::IdealLine line(wire, start);
  line.ask(1, 4);    // 'u' and its reply
  line.exchange(1);  // the buzzer
  for (int tick = 1; tick <= kTicks + 1; ++tick) {
    const bool last = tick == kTicks + 1;
    line.notBefore(tick * kTickPeriod);
    line.ask(1, last ? 1 : 4);  // 'U' and its reply
    if (!last) line.exchange(1);  // the buzzer
  }
  m.modelledSeconds = line.seconds();
  m.reactionsUs = bench::microseconds(adapter->reactionTimes());
  m.workUs = bus.workUs();
  m.note = std::to_string(kTicks) + " requests at the 100 ms scan timer, each reply with one key";
  bench::report(m);
  return 0;
}
