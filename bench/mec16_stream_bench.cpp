// MAIN read and MAIN write of the MEC16 tool against the software adapter with the wire
// model on: measured time against the time the modelled line needs with a host that
// answers at once, the host's reaction times, and the host CPU the handler and worker use.
// The measurement covers the button handler (identification, register set-up) too. Then
// the steps of the safety net: the backup read on its own (a MAIN read into memory, kept
// in the backups folder), and the write as the window runs it (backup read, write,
// read-back), each session modelled as the plain read and write are; and the read as the
// window runs it, twice and compared, two sessions.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "bench/chain_measure.h"
#include "bench/timing_bus.h"
#include "emulator/emulator_bus.h"
#include "emulator/mec16/mec1609.h"
#include "tools/mec16/mec16_double_read.h"
#include "tools/mec16/mec16_messages.h"
#include "tools/mec16/mec16_safe_ops.h"
#include "tools/mec16/mec16_tool.h"

namespace {

using namespace std::chrono;
using namespace tarvex;

class NullView : public mec16::Mec16View {
 public:
  explicit NullView(std::string file) : file_(std::move(file)) {}
  void logLine(const std::string&) override {}
  void clearLog() override {}
  void setGaugeMaximum(int, int) override {}
  void setGaugeProgress(int, int) override {}
  void setGaugeColor(int, Rgb) override {}
  void setStartButtonsEnabled(bool) override {}
  std::optional<std::string> chooseFile(const FileDialogSpec&) override { return file_; }
  void showErrorBox(const std::string&) override {}
  void setIndicator(mec16::Indicator, Rgb) override {}

 private:
  std::string file_;
};

template <typename Start>
bench::Measurement runStream(mec16::Mec16Tool& tool, emu::EmulatedAdapter& adapter,
                             bench::TimingBus& bus, Start start) {
  bench::Measurement m;
  adapter.clearRecords();
  bus.clear();
  const auto wallStart = steady_clock::now();
  m.startedAt = wallStart;
  const double handlerCpu = bench::threadCpuSeconds();
  if (!start()) return m;
  m.cpuSeconds = bench::threadCpuSeconds() - handlerCpu;
  std::thread worker([&] {
    const double cpu = bench::threadCpuSeconds();
    m.succeeded = tool.runWorker();
    m.cpuSeconds += bench::threadCpuSeconds() - cpu;
  });
  worker.join();
  m.measuredSeconds = duration<double>(steady_clock::now() - wallStart).count();
  m.reactionsUs = bench::microseconds(adapter.reactionTimes());
  m.workUs = bus.workUs();
  return m;
}

// The modelled line of one MAIN read session: the handshake, ID, two register writes, 'R'
// and 192 blocks, the release.
void modelMainRead(bench::IdealLine& line) {
  // The handshake runs with the FTDI chip's default latency timer, 16 ms.
  line.setLatency(milliseconds(16));
  line.ask(1, 3);
  line.setLatency(milliseconds(2));
  for (auto [request, reply] : {std::pair{1, 3}, {2, 4}, {15, 1}, {15, 1}, {7, 1025}}) {
    line.ask(request, reply);
  }
  for (int i = 1; i < 192; ++i) line.ask(1, 1025);
  for (int i = 0; i < 3; ++i) line.ask(15, 1);
}

// The modelled line of one MAIN write session: set-up, 768 acknowledged pieces, release.
void modelMainWrite(bench::IdealLine& line) {
  line.setLatency(milliseconds(16));
  line.ask(1, 3);
  line.setLatency(milliseconds(2));
  for (auto [request, reply] : {std::pair{1, 3}, {2, 4}, {7, 5}, {15, 1}, {15, 1}, {15, 1}, {1, 1}}) {
    line.ask(request, reply);
  }
  for (int i = 0; i < 768; ++i) {
    line.ask(256, 1);
    if (i < 767) line.ask(1, 1);
  }
  for (int i = 0; i < 3; ++i) line.ask(15, 1);
}

std::size_t filesIn(const std::string& folder) {
  std::error_code ec;
  std::size_t count = 0;
  for (auto it = std::filesystem::directory_iterator(folder, ec);
       !ec && it != std::filesystem::directory_iterator(); ++it) {
    ++count;
  }
  return count;
}

std::vector<std::uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main() {
  const std::string dir = bench::scratchDirectory("mec16");
  const std::string file = dir + "/image.bin";

  emu::EmulatorBus emulator;
  bench::TimingBus bus(emulator);
  auto adapter = emulator.attach(emu::tags::v42());
  auto chip = std::make_shared<emu::Mec1609>();
  adapter->addHandler(chip);
  const emu::WireModel wire{.enabled = true};
  adapter->setWireModel(wire);
  NullView view(file);
  mec16::Mec16Tool tool(bus, view);

  {
    bench::Measurement m = runStream(tool, *adapter, bus, [&] { return tool.startRead(false); });
    bench::IdealLine line(wire, m.startedAt);
    modelMainRead(line);
    m.operation = "MEC16 MAIN read";
    m.modelledSeconds = line.seconds();
    m.succeeded = m.succeeded && fileBytes(file) == chip->mainFlash();
    m.note = "192 blocks of 1024 bytes and a status byte; from the click, handshake and set-up included";
    bench::report(m);
  }
  {
    const std::vector<std::uint8_t> image(196608, 0x5A);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    bench::Measurement m = runStream(tool, *adapter, bus, [&] { return tool.startWrite(false); });
    bench::IdealLine line(wire, m.startedAt);
    modelMainWrite(line);
    m.operation = "MEC16 MAIN write";
    m.modelledSeconds = line.seconds();
    m.succeeded = m.succeeded && chip->mainFlash() == image;
    m.note = "768 pieces of 256 bytes, each acknowledged; from the click, handshake and set-up included";
    bench::report(m);
  }
  // The read as the window runs it: two MAIN reads into memory, compared, then saved.
  {
    DoubleRead reads = mec16::mec16DoubleRead(tool, view, false);
    std::filesystem::remove(file);
    bench::Measurement m = bench::measureChain(*adapter, bus, reads.chain());
    bench::IdealLine line(wire, m.startedAt);
    modelMainRead(line);
    modelMainRead(line);
    m.operation = "MEC16 MAIN read twice";
    m.modelledSeconds = line.seconds();
    m.succeeded = reads.succeeded() && fileBytes(file) == chip->mainFlash() &&
                  adapter->openCount() == 2;
    m.note = "two MAIN read sessions compared, then the file saved; from the click";
    bench::report(m);
  }
  SafetyOptions options;
  options.backupsFolder = dir + "/backups";
  // The backup a write or erase keeps first: a MAIN read into memory, then saved, flushed
  // and put under its own name in the backups folder.
  {
    MemoryImage backup;
    bench::Measurement m = runStream(tool, *adapter, bus, [&] {
      return tool.startReadInto(backup, false, mec16::text::kBackupReadMain);
    });
    const auto saved = steady_clock::now();
    const double cpu = bench::threadCpuSeconds();
    const bool kept = keepBackup(backup.bytes(), view, options, mec16::text::kSafety);
    m.cpuSeconds += bench::threadCpuSeconds() - cpu;
    m.measuredSeconds += duration<double>(steady_clock::now() - saved).count();
    bench::IdealLine line(wire, m.startedAt);
    modelMainRead(line);
    m.operation = "MEC16 backup read";
    m.modelledSeconds = line.seconds();
    m.succeeded = m.succeeded && kept && backup.bytes() == chip->mainFlash() &&
                  filesIn(options.backupsFolder) == 1;
    m.note = "the MAIN read into memory and the backup file written and flushed; the file is not modelled";
    bench::report(m);
  }
  // The write as the window runs it: backup read, blank check, write, read-back compared.
  {
    chip->fillMain(0xFF);
    std::vector<std::uint8_t> image(196608);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    mec16::Mec16SafeOps safe(tool, view);
    bench::Measurement m = bench::measureChain(*adapter, bus, safe.write(options, false));
    bench::IdealLine line(wire, m.startedAt);
    modelMainRead(line);
    modelMainWrite(line);
    modelMainRead(line);
    m.operation = "MEC16 MAIN write with verify";
    m.modelledSeconds = line.seconds();
    m.succeeded = safe.succeeded() && chip->mainFlash() == image && adapter->openCount() == 3;
    m.note = "backup read, 768 acknowledged pieces, read-back compared; three sessions, from the click";
    bench::report(m);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
