// The EDID read and write against the software adapter with the wire model on. The single
// read and the write run start to end on one thread, handshake included; the read is
// measured up to the save dialog, which opens once the link is closed. The read as the
// window runs it, twice and compared, is timed over its two workers.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "bench/bench_support.h"
#include "bench/chain_measure.h"
#include "bench/timing_bus.h"
#include "emulator/eeprom/panel_eeprom.h"
#include "emulator/emulator_bus.h"
#include "tools/edid/edid_double_read.h"
#include "tools/edid/edid_tool.h"

namespace {

using namespace std::chrono;
using namespace tarvex;

class QuietView : public ToolView {
 public:
  explicit QuietView(std::string file) : file_(std::move(file)) {}
  void logLine(const std::string&) override {}
  void clearLog() override {}
  void setGaugeMaximum(int, int) override {}
  void setGaugeProgress(int, int) override {}
  void setGaugeColor(int, Rgb) override {}
  void setStartButtonsEnabled(bool) override {}
  std::optional<std::string> chooseFile(const FileDialogSpec&) override {
    dialogAt_ = steady_clock::now();
    return file_;
  }
  void showErrorBox(const std::string&) override {}

  steady_clock::time_point dialogAt_{};

 private:
  std::string file_;
};

}  // namespace

int main() {
  const std::string dir = bench::scratchDirectory("edid");
  const std::string file = dir + "/panel.bin";

  emu::EmulatorBus emulator;
  bench::TimingBus bus(emulator);
  auto adapter = emulator.attach(emu::tags::v41());
  emu::PanelEeprom::Contents contents{};
  for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<std::uint8_t>(i * 7 + 3);
  auto eeprom = std::make_shared<emu::PanelEeprom>(contents);
  // Replies in one piece: the modelled line then needs no knowledge of the split.
  emu::PanelEeprom::Timing timing;
  timing.pieceMin = timing.pieceMax = 512;
  timing.gapMax = microseconds(0);
  eeprom->setTiming(timing);
  adapter->addHandler(eeprom);
  const emu::WireModel wire{.enabled = true};
  adapter->setWireModel(wire);

  QuietView view(file);
  edid::EdidTool tool(bus, view);
  // One read first, so the figures do not carry the process's first use of the code.
  tool.read();
  {
    bench::Measurement m;
    m.operation = "EDID read";
    adapter->clearRecords();
    bus.clear();
    const auto start = steady_clock::now();
    const double cpu = bench::threadCpuSeconds();
    m.succeeded = tool.read();
    m.cpuSeconds = bench::threadCpuSeconds() - cpu;
    m.measuredSeconds = duration<double>(view.dialogAt_ - start).count();
    bench::IdealLine line(wire, start);
    line.ask(1, 3);    // the handshake
    line.ask(2, 258);  // 'E','r': the image and the status
    m.modelledSeconds = line.seconds();
    m.reactionsUs = bench::microseconds(adapter->reactionTimes());
    m.workUs = bus.workUs();
    m.note = "handshake and 258 bytes, up to the save dialog; on the user-interface thread";
    bench::report(m);
  }
  // The read as the window runs it: two read sessions, each on a worker, compared before
  // the save dialog. Timed over the two workers, which is up to the dialog.
  {
    std::filesystem::remove(file);
    edid::EdidTool twiceTool(bus, view);
    DoubleRead reads = edid::edidDoubleRead(twiceTool, view);
    bench::Measurement m =
        bench::measureChain(*adapter, bus, reads.chain(), bench::ChainSpan::kWorkOnly);
    bench::IdealLine line(wire, m.startedAt);
    for (int read = 0; read < 2; ++read) {
      line.ask(1, 3);    // the handshake
      line.ask(2, 258);  // 'E','r': the image and the status
    }
    m.operation = "EDID read twice";
    m.modelledSeconds = line.seconds();
    std::ifstream saved(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(saved), {}};
    m.succeeded = reads.succeeded() && adapter->openCount() == 2 &&
                  std::equal(bytes.begin(), bytes.end(), contents.begin(), contents.end(),
                             [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    m.note = "two reads of handshake and 258 bytes compared; the two workers' time";
    bench::report(m);
  }
  {
    emu::PanelEeprom::Contents image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(255 - i);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    bench::Measurement m;
    m.operation = "EDID write";
    adapter->clearRecords();
    bus.clear();
    const auto start = steady_clock::now();
    const double cpu = bench::threadCpuSeconds();
    m.succeeded = tool.write() && eeprom->contents() == image;
    m.cpuSeconds = bench::threadCpuSeconds() - cpu;
    m.measuredSeconds = duration<double>(steady_clock::now() - start).count();
    bench::IdealLine line(wire, start);
    line.ask(1, 3);
    line.ask(2, 1);  // 'E','w' answered by ready
    line.exchange(256, duration_cast<microseconds>(timing.writeTime), {2});
    m.modelledSeconds = line.seconds();
    m.reactionsUs = bench::microseconds(adapter->reactionTimes());
    m.workUs = bus.workUs();
    m.note = "handshake, 256 bytes and the programming time; on the user-interface thread";
    bench::report(m);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
