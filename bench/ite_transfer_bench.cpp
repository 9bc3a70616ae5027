// The ITE read and write streams against the software adapter with the wire model on:
// the worker's part of each (the handler's handshake and attach are left out: the ITE tag
// is read with the link's 300 ms read timeout, a fixed cost before any streaming), measured
// against the modelled line with a host that answers every reply at once.
//
// The write programs byte by byte, each byte acknowledged, so its time grows with the
// bytes that are not FFh: about 3 ms each on the modelled line. The image written here has
// 8 runs of 256 programmed bytes; a flash image with no FFh at all takes over six minutes.
//
// Then the write as the window runs it, from the click: backup read, erase and write,
// read-back compared, three sessions each with its handshake (the tag read's 300 ms
// included) and attach.

#include <cstdio>
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
#include "emulator/ite/it85_board.h"
#include "tools/ite/ite_double_read.h"
#include "tools/ite/ite_registers.h"
#include "tools/ite/ite_safe_write.h"
#include "tools/ite/ite_tool.h"

namespace {

using namespace std::chrono;
using namespace tarvex;

class QuietView : public ToolView, public IteControls {
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
  void setButtonEnabled(IteButton, bool) override {}
  void setPresetItems(const std::vector<std::string>&, bool) override {}
  void selectPresetItem(int) override {}
  int pinIndex(int box) const override { return pins_[box]; }
  void setPinIndex(int box, int index) override { pins_[box] = index; }
  bool orientationChecked() const override { return true; }
  void setOrientationChecked(bool) override {}
  void setOrientationEnabled(bool) override {}

  PinAssignments pins_{};

 private:
  std::string file_;
};

// The board's connector wiring, PD0..PD7, STB, AFD, INIT, SLIN, BUSY, KSI4, KSI5, and the
// pin boxes that match it (the boxes list SLIN# before INIT#).
const emu::It85Board::Wiring kWiring = {3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 15, 14, 11, 16, 17};
PinAssignments boxesFor(const emu::It85Board::Wiring& w) {
  return {w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9], w[11], w[10], w[12], w[13], w[14]};
}

template <typename Start>
bench::Measurement runStream(IteTool& tool, emu::EmulatedAdapter& adapter, bench::TimingBus& bus,
                             Start start) {
  bench::Measurement m;
  if (!start()) return m;
  adapter.clearRecords();
  bus.clear();
  const auto wallStart = steady_clock::now();
  m.startedAt = wallStart;
  std::thread worker([&] {
    const double cpu = bench::threadCpuSeconds();
    m.succeeded = tool.runWorker();
    m.cpuSeconds = bench::threadCpuSeconds() - cpu;
  });
  worker.join();
  m.measuredSeconds = duration<double>(steady_clock::now() - wallStart).count();
  m.reactionsUs = bench::microseconds(adapter.reactionTimes());
  m.workUs = bus.workUs();
  return m;
}

// A session's opening: the tag asked for with the chip's default latency timer and read
// until the link's handshake read timeout, then the attach.
void modelOpening(bench::IdealLine& line) {
  line.setLatency(milliseconds(16));
  line.exchange(0, milliseconds(300));
  line.setLatency(milliseconds(2));
  line.ask(1, 1);
}

// Register writes: a select and a write, each answered with one byte.
void modelCycles(bench::IdealLine& line, std::size_t cycles) {
  for (std::size_t c = 0; c < cycles; ++c) {
    line.ask(2, 1);
    line.ask(2, 1);
  }
}

// The read: the set-up, then 512 pages of 256 bytes and a status byte.
void modelRead(bench::IdealLine& line) {
  modelCycles(line, std::size(ite_reg::kReadSetup));
  for (int page = 0; page < IteTool::kPages; ++page) line.ask(1, 257);
}

// The write: flash-mode entry, write enable and both chip-erase forms, then each run's
// first address and its bytes, each acknowledged.
void modelWrite(bench::IdealLine& line, int runs, int runBytes) {
  modelCycles(line, std::size(ite_reg::kWriteEntry) + std::size(ite_reg::kWriteEnableSteps) +
                        std::size(ite_reg::kEraseSteps));
  for (int run = 0; run < runs; ++run) {
    line.ask(4, 1);
    for (int i = 0; i < runBytes; ++i) line.ask(2, 1);
  }
}

// The one file in a folder ("" unless there is exactly one).
std::string onlyFileIn(const std::string& folder) {
  std::error_code ec;
  std::vector<std::string> files;
  for (auto it = std::filesystem::directory_iterator(folder, ec);
       !ec && it != std::filesystem::directory_iterator(); ++it) {
    files.push_back(it->path().string());
  }
  return files.size() == 1 ? files.front() : std::string();
}

std::vector<std::uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main() {
  const std::string dir = bench::scratchDirectory("ite");
  const std::string file = dir + "/image.bin";

  emu::EmulatorBus emulator;
  bench::TimingBus bus(emulator);
  auto adapter = emulator.attach(emu::tags::ite());
  auto board = std::make_shared<emu::It85Board>(kWiring);
  board->setEraseTime(microseconds(0));
  std::vector<std::uint8_t> flash(IteTool::kFlashSize);
  std::mt19937 random(8587);
  for (auto& b : flash) b = static_cast<std::uint8_t>(random());
  board->setFlash(flash);
  adapter->addHandler(board);
  const emu::WireModel wire{.enabled = true};
  adapter->setWireModel(wire);

  QuietView view(file);
  IteTool tool(bus, view, view);
  // The adapter keeps the assignments, as after "Send settings".
  view.pins_ = boxesFor(kWiring);
  tool.sendSettings();

  {
    bench::Measurement m = runStream(tool, *adapter, bus, [&] { return tool.startRead(); });
    bench::IdealLine line(wire, m.startedAt);
    for (int page = 0; page < IteTool::kPages; ++page) line.ask(1, 257);
    m.operation = "ITE read";
    m.modelledSeconds = line.seconds();
    m.succeeded = m.succeeded && fileBytes(file) == flash;
    m.note = "512 pages of 256 bytes and a status byte; from the worker's start";
    bench::report(m);
  }
  // The read as the window runs it: two read sessions compared, then the file saved. Timed
  // over the two workers, as the single read is.
  {
    std::filesystem::remove(file);
    DoubleRead reads = iteDoubleRead(tool, view);
    bench::Measurement m =
        bench::measureChain(*adapter, bus, reads.chain(), bench::ChainSpan::kWorkOnly);
    bench::IdealLine line(wire, m.startedAt);
    for (int page = 0; page < 2 * IteTool::kPages; ++page) line.ask(1, 257);
    m.operation = "ITE read twice";
    m.modelledSeconds = line.seconds();
    m.succeeded = reads.succeeded() && fileBytes(file) == flash && adapter->openCount() == 2;
    m.note = "two reads of 512 pages compared; the two workers' time";
    bench::report(m);
  }
  {
    std::vector<std::uint8_t> image(IteTool::kFlashSize, 0xFF);
    constexpr int kRuns = 8;
    for (int run = 0; run < kRuns; ++run) {
      for (int i = 0; i < 256; ++i) image[run * 16384 + 1024 + i] = static_cast<std::uint8_t>(i ^ run);
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    bench::Measurement m = runStream(tool, *adapter, bus, [&] { return tool.startWrite(); });
    bench::IdealLine line(wire, m.startedAt);
    modelWrite(line, kRuns, 256);
    m.operation = "ITE erase and write";
    m.modelledSeconds = line.seconds();
    m.succeeded = m.succeeded && board->flash() == image;
    m.note = "erase, then 2048 bytes in 8 runs, each byte acknowledged; from the worker's start";
    bench::report(m);

    // The same image over other firmware, as the window writes it.
    board->setFlash(flash);
    SafetyOptions options;
    options.backupsFolder = dir + "/backups";
    SafeChange safe = iteSafeWrite(tool, view);
    bench::Measurement chained = bench::measureChain(*adapter, bus, safe.chain(options));
    bench::IdealLine chainLine(wire, chained.startedAt);
    modelOpening(chainLine);
    modelRead(chainLine);
    modelOpening(chainLine);
    modelWrite(chainLine, kRuns, 256);
    modelOpening(chainLine);
    modelRead(chainLine);
    chained.operation = "ITE write with verify";
    chained.modelledSeconds = chainLine.seconds();
    chained.succeeded = safe.succeeded() && board->flash() == image &&
                        adapter->openCount() == 3 && fileBytes(onlyFileIn(options.backupsFolder)) == flash;
    chained.note = "backup read, erase and 2048 bytes in 8 runs, read-back compared; three sessions, "
                   "from the click";
    bench::report(chained);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
