// MAIN read and MAIN write of the MEC16 tool against the software adapter with the wire
// model on: measured time against the time the modelled line needs with a host that
// answers at once, the host's reaction times, and the host CPU the worker burns waiting.
// Run by hand; not part of the test run.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "emulator/emulator_bus.h"
#include "emulator/mec16/mec1609.h"
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

double threadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(p * (values.size() - 1))];
}

// One request and the reply it waits for, as the line carries them.
struct Exchange {
  std::size_t request;
  std::size_t reply;
};

// How long the modelled line takes for the exchanges when the host answers every reply
// the moment it shows. Requests cross with the USB frame after the reply was seen (the
// wire model sends host writes on frame boundaries), so a perfect host pays that frame too.
double modelledSeconds(const std::vector<Exchange>& exchanges) {
  const emu::WireModel wire{.enabled = true};
  auto t = emu::Clock::now();
  const auto start = t;
  auto lineFree = t;
  for (const Exchange& e : exchanges) {
    if (e.request > 0) t = wire.requestArrival(e.request, t + nanoseconds(1)).back();
    if (e.reply > 0) t = wire.replyVisibility(e.reply, t, lineFree, 2ms).back();
  }
  return duration<double>(t - start).count();
}

struct Run {
  double wall = 0;
  double workerCpu = 0;
};

template <typename Start>
Run runStream(mec16::Mec16Tool& tool, Start start) {
  Run run;
  const auto wallStart = steady_clock::now();
  if (!start()) return run;
  std::thread worker([&] {
    const double cpu = threadCpuSeconds();
    tool.runWorker();
    run.workerCpu = threadCpuSeconds() - cpu;
  });
  worker.join();
  run.wall = duration<double>(steady_clock::now() - wallStart).count();
  return run;
}

void report(const char* name, const Run& run, double modelled, emu::EmulatedAdapter& adapter) {
  std::vector<double> us;
  for (auto r : adapter.reactionTimes()) us.push_back(duration<double, std::micro>(r).count());
  std::printf("%s: measured %.3f s, modelled %.3f s, ratio %.3f\n", name, run.wall, modelled,
              modelled > 0 ? run.wall / modelled : 0.0);
  std::printf("  host reaction: median %.1f us, p99 %.1f us (%zu samples)\n",
              percentile(us, 0.5), percentile(us, 0.99), us.size());
  std::printf("  worker CPU: %.2f %% of one core\n", run.wall > 0 ? 100.0 * run.workerCpu / run.wall : 0.0);
}

}  // namespace

int main() {
  const auto dir = std::filesystem::temp_directory_path() / "tarvex_mec16_bench";
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "image.bin").string();

  emu::EmulatorBus bus;
  auto adapter = bus.attach(emu::tags::v42());
  auto chip = std::make_shared<emu::Mec1609>();
  adapter->addHandler(chip);
  adapter->setWireModel({.enabled = true});
  NullView view(file);
  mec16::Mec16Tool tool(bus, view);

  // The stream and its start: ID, two register writes, 'R' and 192 blocks, the release.
  std::vector<Exchange> read{{1, 3}, {2, 4}, {15, 1}, {15, 1}, {7, 1025}};
  for (int i = 1; i < 192; ++i) read.push_back({1, 1025});
  for (int i = 0; i < 3; ++i) read.push_back({15, 1});
  adapter->clearRecords();
  const Run readRun = runStream(tool, [&] { return tool.startRead(false); });
  report("MAIN read", readRun, modelledSeconds(read), *adapter);

  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(std::vector<char>(196608, 0x5A).data(), 196608);
  std::vector<Exchange> write{{1, 3}, {2, 4}, {7, 5}, {15, 1}, {15, 1}, {15, 1}, {1, 1}};
  for (int i = 0; i < 768; ++i) {
    write.push_back({256, 1});
    if (i < 767) write.push_back({1, 1});
  }
  for (int i = 0; i < 3; ++i) write.push_back({15, 1});
  adapter->clearRecords();
  const Run writeRun = runStream(tool, [&] { return tool.startWrite(false); });
  report("MAIN write", writeRun, modelledSeconds(write), *adapter);

  std::filesystem::remove_all(dir);
  return 0;
}
