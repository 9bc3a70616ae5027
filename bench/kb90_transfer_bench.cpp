// A full KB90xx read and a full write with verification against the software adapter with
// the wire model on. Reports the measured time against the time the modelled wire and
// adapter need on their own (a host that answered every reply at once), the host's
// reaction times, and the CPU the worker burns while it waits (blocking, not spinning).
//
//   bench_kb90 [--adapter-time]   with the controller's own work times (erase, block read,
//                                 programming, checksum); without, the wire alone paces.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "bench/chain_measure.h"
#include "bench/timing_bus.h"
#include "emulator/emulator_bus.h"
#include "emulator/kb90/kb90_controller.h"
#include "tools/kb90/kb90_double_read.h"
#include "tools/kb90/kb90_tool.h"

namespace {

using namespace std::chrono;
using namespace tarvex;

class QuietView : public ToolView, public kb90::Kb90View {
 public:
  explicit QuietView(std::string file) : file_(std::move(file)) {}
  void logLine(const std::string&) override {}
  void clearLog() override {}
  void setGaugeMaximum(int, int) override {}
  void setGaugeProgress(int, int) override {}
  void setGaugeColor(int, Rgb) override {}
  void setStartButtonsEnabled(bool) override {}
  std::optional<std::string> chooseFile(const FileDialogSpec&) override { return file_; }
  void showErrorBox(const std::string&) override {}
  void setButtonEnabled(kb90::Kb90Button, bool) override {}

 private:
  std::string file_;
};

// Runs one transfer as the window does: handler, worker, first command. The measurement
// starts when the handler hands over to the worker.
bench::Measurement runTransfer(bench::TimingBus& bus, emu::EmulatedAdapter& adapter,
                               const std::string& file, bool reading) {
  QuietView view(file);
  kb90::Kb90Tool tool(bus, view, view);
  bench::Measurement m;
  if (!(reading ? tool.readClick() : tool.writeClick())) return m;
  adapter.clearRecords();
  bus.clear();
  double cpu = 0;
  bool ok = false;
  const auto start = steady_clock::now();
  m.startedAt = start;
  std::thread worker([&] {
    const double before = bench::threadCpuSeconds();
    ok = tool.runWorker();
    cpu = bench::threadCpuSeconds() - before;
  });
  tool.beginTransfer();
  worker.join();
  m.measuredSeconds = duration<double>(steady_clock::now() - start).count();
  m.cpuSeconds = cpu;
  m.succeeded = ok;
  m.reactionsUs = bench::microseconds(adapter.reactionTimes());
  m.workUs = bus.workUs();
  return m;
}

std::vector<std::uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  const bool adapterTime = argc > 1 && std::strcmp(argv[1], "--adapter-time") == 0;
  emu::Kb90Timing timing;
  if (adapterTime) {
    timing = {.erase = milliseconds(400), .blockRead = microseconds(600),
              .blockProgram = milliseconds(2), .checksumBlock = microseconds(300)};
  }
  emu::EmulatorBus emulator;
  bench::TimingBus bus(emulator);
  auto adapter = emulator.attach(emu::tags::v41());
  const emu::WireModel wire{.enabled = true};
  adapter->setWireModel(wire);
  auto controller = std::make_shared<emu::Kb90Controller>();
  controller->setTiming(timing);
  std::vector<std::uint8_t> image(131072);
  std::mt19937 random(4410);
  for (auto& b : image) b = static_cast<std::uint8_t>(random());
  controller->setFlash(image);
  adapter->addHandler(controller);

  const std::string dir = bench::scratchDirectory("kb90");
  const std::string readFile = dir + "/read.bin";
  const std::string writeFile = dir + "/write.bin";
  std::ofstream(writeFile, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));

  std::printf("KB90xx transfers over the modelled line (921600 8N1, 1 ms USB frames, latency "
              "timer 2 ms)%s\n", adapterTime ? ", with the controller's work times" : "");
  const char* suffix = adapterTime ? " (controller work times)" : "";

  // Read: 'R' or 'N' answered by a block, 512 times.
  {
    bench::Measurement m = runTransfer(bus, *adapter, readFile, true);
    bench::IdealLine line(wire, m.startedAt);
    for (int block = 0; block < 512; ++block) line.exchange(1, timing.blockRead, {256});
    m.operation = std::string("KB90xx read") + suffix;
    m.modelledSeconds = line.seconds();
    m.succeeded = m.succeeded && fileBytes(readFile) == image;
    m.note = "512 blocks of 256 bytes, each asked for with one byte; from the worker's start";
    bench::report(m);
  }
  // The read as the window runs it: two read sessions compared, then the file saved. Timed
  // over the two workers, as the single read is.
  {
    std::filesystem::remove(readFile);
    QuietView view(readFile);
    kb90::Kb90Tool tool(bus, view, view);
    DoubleRead reads = kb90::kb90DoubleRead(tool, view);
    bench::Measurement m =
        bench::measureChain(*adapter, bus, reads.chain(), bench::ChainSpan::kWorkOnly);
    bench::IdealLine line(wire, m.startedAt);
    for (int read = 0; read < 2; ++read) {
      for (int block = 0; block < 512; ++block) line.exchange(1, timing.blockRead, {256});
    }
    m.operation = std::string("KB90xx read twice") + suffix;
    m.modelledSeconds = line.seconds();
    m.succeeded = reads.succeeded() && fileBytes(readFile) == image && adapter->openCount() == 2;
    m.note = "two reads of 512 blocks compared; the two workers' time";
    bench::report(m);
  }
  // Write: 'W' or 'N' answered by a ready byte, the block answered by a block-done byte;
  // then 'S' answered by 512 ticks and the 4 checksum bytes.
  {
    controller->setFlash(std::vector<std::uint8_t>(image.size(), 0xFF));
    bench::Measurement m = runTransfer(bus, *adapter, writeFile, false);
    bench::IdealLine line(wire, m.startedAt);
    line.exchange(1, timing.erase, {1});
    for (int block = 0; block < 512; ++block) {
      line.exchange(256, timing.blockProgram, {1});
      if (block < 511) line.exchange(1, microseconds(0), {1});
    }
    line.exchange(2);  // 'X', 'S' in two writes
    line.exchange(0, timing.checksumBlock, std::vector<std::size_t>(512, 1), timing.checksumBlock);
    line.exchange(0, microseconds(0), {4});
    m.operation = std::string("KB90xx write and verify") + suffix;
    m.modelledSeconds = line.seconds();
    m.succeeded = m.succeeded && controller->flash() == image;
    m.note = "512 blocks, each acknowledged, then the adapter's checksum pass; from the worker's start";
    bench::report(m);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
