// The user-interface thread while the tools stream: each streaming operation runs through
// its real window (offscreen), its worker on its own thread, against the software adapter
// with the wire model on. A 2 ms timer on the user-interface thread measures how late it
// fires; the longest lateness while the worker runs is the longest stall a user could
// notice. The click handler's own time (handshake, connect step, dialogs) is reported
// apart: it runs before the worker exists.
//
// Prints one tab-separated "stall" line per operation for scripts/perf.sh:
//   stall <operation> <handler ms> <longest stall ms> <ui cpu %> <ok> <worker|handler>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "widgets/app_context.h"
#include "bench/bench_support.h"
#include "emulator/eeprom/panel_eeprom.h"
#include "emulator/emulator_bus.h"
#include "emulator/ite/it85_board.h"
#include "emulator/kb90/kb90_controller.h"
#include "emulator/keyboard/emulated_keyboard.h"
#include "emulator/mec16/mec1609.h"
#include "tools/edid/ui/edid_window.h"
#include "tools/ite/ui/ite_window.h"
#include "tools/kb90/ui/kb90_window.h"
#include "tools/keyboard/ui/keyboard_window.h"
#include "tools/mec16/ui/mec16_window.h"

namespace {

using namespace std::chrono;
using namespace tarvex;

// Every file dialog answers with the one file; message boxes are counted, not shown.
class FixedDialogs final : public DialogProvider {
 public:
  std::optional<std::string> chooseFile(const FileDialogSpec&, QWidget*) override { return file; }
  void showError(const std::string&, QWidget*) override { ++errors; }
  void showMessage(const std::string&, QWidget*) override {}
  bool askYesNo(const std::string&, QWidget*) override { return false; }
  std::string file;
  int errors = 0;
};

// Measures how late a 2 ms timer on the user-interface thread fires.
class StallProbe {
 public:
  static constexpr int kPeriodMs = 2;
  StallProbe() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kPeriodMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      if (last_ >= 0) worst_ = std::max(worst_, now - last_ - kPeriodMs * 1'000'000LL);
      last_ = now;
    });
  }
  void start() {
    worst_ = 0;
    last_ = -1;
    clock_.start();
    timer_.start();
  }
  double stop() {
    timer_.stop();
    return static_cast<double>(worst_) / 1e6;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = -1;
  qint64 worst_ = 0;
};

struct Run {
  bool worker = true;  // false: the operation runs in its click handler
  double handlerMs = 0;
  double stallMs = 0;
  double uiCpuPercent = 0;
  bool ok = false;
};

// The probe's own CPU share, taken off the measured figures.
double baseline = 0;

// Runs the event loop as the program does, checking every 10 ms whether to go on.
void runEventLoop(const std::function<bool()>& done, const std::function<void()>& tick = {}) {
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (tick) tick();
    if (done()) loop.quit();
  });
  check.start(10);
  if (!done()) loop.exec();
}

// The CPU the probe itself costs the user-interface thread, as a share of one core.
double probeCost() {
  StallProbe probe;
  const double cpu = bench::threadCpuSeconds();
  QElapsedTimer wall;
  wall.start();
  probe.start();
  runEventLoop([&] { return wall.elapsed() >= 2000; });
  probe.stop();
  return 100.0 * (bench::threadCpuSeconds() - cpu) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
}

// Clicks, then runs the event loop until `finished` holds (bounded by two minutes).
Run measure(const std::function<void()>& click, const std::function<bool()>& finished,
            const std::function<void()>& whileRunning = {}) {
  Run run;
  StallProbe probe;
  QElapsedTimer handler;
  handler.start();
  click();
  run.handlerMs = static_cast<double>(handler.nsecsElapsed()) / 1e6;
  const double cpu = bench::threadCpuSeconds();
  QElapsedTimer wall;
  wall.start();
  probe.start();
  runEventLoop([&] { return finished() || wall.elapsed() >= 120000; }, whileRunning);
  run.stallMs = probe.stop();
  run.ok = finished();
  const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
  run.uiCpuPercent = 100.0 * (bench::threadCpuSeconds() - cpu) / seconds;
  QCoreApplication::processEvents();
  return run;
}

void print(const char* operation, Run run) {
  run.uiCpuPercent = std::max(0.0, run.uiCpuPercent - baseline);
  std::printf("%s: handler %.1f ms, longest stall while streaming %.1f ms, UI thread CPU %.2f %%%s\n",
              operation, run.handlerMs, run.stallMs, run.uiCpuPercent, run.ok ? "" : " (DID NOT FINISH)");
  std::printf("stall\t%s\t%.1f\t%.1f\t%.2f\t%s\t%s\n", operation, run.handlerMs, run.stallMs,
              run.uiCpuPercent, run.ok ? "ok" : "FAILED", run.worker ? "worker" : "handler");
  std::fflush(stdout);
}

std::vector<std::uint8_t> randomImage(std::size_t size, unsigned seed) {
  std::vector<std::uint8_t> image(size);
  std::mt19937 random(seed);
  for (auto& b : image) b = static_cast<std::uint8_t>(random());
  return image;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string dir = bench::scratchDirectory("ui");
  const emu::WireModel wire{.enabled = true};
  FixedDialogs dialogs;
  dialogs.file = dir + "/image.bin";
  baseline = probeCost();
  std::printf("Stall probe: %d ms timer, costing the user-interface thread %.2f %% of one core "
              "(taken off the figures below)\n", StallProbe::kPeriodMs, baseline);

  {
    emu::EmulatorBus bus;
    auto adapter = bus.attach(emu::tags::v41());
    adapter->setWireModel(wire);
    auto controller = std::make_shared<emu::Kb90Controller>();
    controller->setFlash(randomImage(131072, 1));
    adapter->addHandler(controller);
    AppContext context{bus, dialogs, [] {}, dir + "/absent.txt", ""};
    TKB901X_forms window(context);
    window.show();
    auto idle = [&] {
      return !window.workerAlive() && !window.chainRunning() && window.tool().mode().idle();
    };
    print("KB90xx read", measure([&] { window.KB901X_READ->click(); }, idle));
    print("KB90xx write and verify", measure([&] { window.KB901X_WRITE->click(); }, idle));
  }
  {
    emu::EmulatorBus bus;
    auto adapter = bus.attach(emu::tags::v42());
    adapter->setWireModel(wire);
    adapter->addHandler(std::make_shared<emu::Mec1609>());
    AppContext context{bus, dialogs, [] {}, "", ""};
    TMEC16_Form window(context);
    window.show();
    auto idle = [&] {
      return !window.workerAlive() && !window.chainRunning() && window.tool().modeWord().idle();
    };
    print("MEC16 MAIN read", measure([&] { window.BitBtn_RD_MEC16->click(); }, idle));
    print("MEC16 MAIN write", measure([&] { window.BitBtn_MEC16_WRITE->click(); }, idle));
  }
  {
    const std::string presets = dir + "/presets.txt";
    std::ofstream(presets, std::ios::binary)
        << "Bench PD0=3 PD1=4 PD2=5 PD3=6 PD4=7 PD5=8 PD6=9 PD7=10 BUSY=11 STB=12 AFD=13 "
           "INIT=15 SLIN=14 KSI4=16 KSI5=17 KB_pins=30\r\n";
    emu::EmulatorBus bus;
    auto adapter = bus.attach(emu::tags::ite());
    adapter->setWireModel(wire);
    auto board = std::make_shared<emu::It85Board>(
        emu::It85Board::Wiring{3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 15, 14, 11, 16, 17});
    board->setEraseTime(microseconds(0));
    board->setFlash(randomImage(131072, 2));
    adapter->addHandler(board);
    AppContext context{bus, dialogs, [] {}, "", presets};
    TITE_FORM window(context);
    window.show();
    window.ITE_ComboBox_MB_SWITCH->setCurrentIndex(1);
    emit window.ITE_ComboBox_MB_SWITCH->activated(1);
    window.ITE_SETUP_BitBtn->click();
    auto idle = [&] {
      return !window.workerAlive() && !window.chainRunning() && window.tool().mode().idle();
    };
    print("ITE read", measure([&] { window.ITE_READ_BitBtn->click(); }, idle));
    // The same sparse image as the transfer benchmark: 8 runs of 256 bytes.
    std::vector<std::uint8_t> image(131072, 0xFF);
    for (int run = 0; run < 8; ++run) {
      for (int i = 0; i < 256; ++i) image[run * 16384 + 1024 + i] = static_cast<std::uint8_t>(i ^ run);
    }
    writeFile(dialogs.file, image);
    print("ITE erase and write", measure([&] { window.ITE_WRITE_BitBtn->click(); }, idle));
  }
  {
    emu::EmulatorBus bus;
    auto adapter = bus.attach(emu::tags::v41());
    adapter->setWireModel(wire);
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    adapter->addHandler(keyboard);
    AppContext context{bus, dialogs, [] {}, "", ""};
    TKeyboard_testing window(context);
    window.show();
    // Five seconds of scanning with a key pressed every 100 ms, then STOP.
    QElapsedTimer scan;
    qint64 nextPress = 0;
    int pin = 1;
    bool stopped = false;
    print("Keyboard scan", measure(
        [&] {
          window.START_SCAN->click();
          scan.start();
        },
        [&] { return stopped && !window.workerRunning(); },
        [&] {
          if (!stopped && scan.elapsed() >= nextPress) {
            keyboard->pressKey(pin, 32);
            pin = pin % 31 + 1;
            nextPress += 100;
          }
          if (!stopped && scan.elapsed() >= 5000) {
            window.EXIT_KB_TEST->click();
            stopped = true;
          }
        }));
  }
  {
    emu::EmulatorBus bus;
    auto adapter = bus.attach(emu::tags::v41());
    adapter->setWireModel(wire);
    auto eeprom = std::make_shared<emu::PanelEeprom>();
    adapter->addHandler(eeprom);
    AppContext context{bus, dialogs, [] {}, "", ""};
    context.backupsFolder = dir + "/backups";
    TEDID_form window(context);
    window.show();
    auto idle = [&] { return !window.busy(); };
    // One read first, so the figures do not carry the process's first use of the window.
    measure([&] { window.EDID_READ->click(); }, idle);
    print("EDID read", measure([&] { window.EDID_READ->click(); }, idle));
    print("EDID write", measure([&] { window.EDID_WRITE->click(); }, idle));
  }
  std::filesystem::remove_all(dir);
  return 0;
}
