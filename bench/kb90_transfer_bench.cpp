// A full KB90xx read and a full write with verification against the software adapter with
// the wire model on. Reports the measured time against the time the modelled wire and
// adapter need on their own (a host that answered every reply at once), the host's
// reaction times, and the CPU the worker burns while it waits (blocking, not spinning).
//
//   bench_kb90 [--adapter-time]   with the controller's own work times (erase, block read,
//                                 programming, checksum); without, the wire alone paces.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "emulator/emulator_bus.h"
#include "emulator/kb90/kb90_controller.h"
#include "tools/kb90/kb90_tool.h"

namespace {

using namespace std::chrono;
using namespace tarvex;
using emu::Clock;

class QuietView : public ToolView, public kb90::Kb90View {
 public:
  explicit QuietView(std::string file) : file_(std::move(file)) {}
  void logLine(const std::string& line) override { last_ = line; }
  void clearLog() override {}
  void setGaugeMaximum(int, int) override {}
  void setGaugeProgress(int, int) override {}
  void setGaugeColor(int, Rgb) override {}
  void setStartButtonsEnabled(bool) override {}
  std::optional<std::string> chooseFile(const FileDialogSpec&) override { return file_; }
  void showErrorBox(const std::string& text) override { last_ = text; }
  void setButtonEnabled(kb90::Kb90Button, bool) override {}
  std::string file_;
  std::string last_;
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

// The modelled line: the time from the first request to the last reply byte being
// visible, for a host that reacts to every reply at once.
class IdealLine {
 public:
  IdealLine(const emu::WireModel& wire, milliseconds latency) : wire_(wire), latency_(latency) {}
  // The host writes `request` bytes; the firmware works `work`, then sends the reply in
  // pieces of the given sizes, each piece `gap` after the one before.
  void exchange(std::size_t request, microseconds work, std::vector<std::size_t> pieces = {},
                microseconds gap = microseconds(0)) {
    // The fastest host still answers a moment after the reply shows, so its request
    // waits for the next USB frame like any other.
    Clock::time_point at =
        request ? wire_.requestArrival(request, now_ + nanoseconds(1)).back() : now_;
    at += work;
    Clock::time_point seen = at;
    for (std::size_t piece : pieces) {
      seen = std::max(seen, wire_.replyVisibility(piece, at, lineFree_, latency_).back());
      at += gap;
    }
    now_ = std::max(seen, at - (pieces.empty() ? microseconds(0) : gap));
  }
  Clock::duration elapsed() const { return now_ - start_; }

 private:
  const emu::WireModel wire_;
  const milliseconds latency_;
  const Clock::time_point start_ = Clock::time_point(hours(1));
  Clock::time_point now_ = start_;
  Clock::time_point lineFree_ = start_;
};

struct Result {
  double seconds = 0;
  double cpu = 0;
  std::string last;
};

Result runTransfer(emu::EmulatorBus& bus, QuietView& view, bool reading) {
  kb90::Kb90Tool tool(bus, view, view);
  const bool go = reading ? tool.readClick() : tool.writeClick();
  if (!go) return {0, 0, view.last_};
  Result result;
  SteadyClock::time_point start;
  std::thread worker([&] {
    const double cpu = threadCpuSeconds();
    tool.runWorker();
    result.cpu = threadCpuSeconds() - cpu;
  });
  start = SteadyClock::now();
  tool.beginTransfer();
  worker.join();
  result.seconds = duration<double>(SteadyClock::now() - start).count();
  result.last = view.last_;
  return result;
}

void report(const char* name, const Result& run, Clock::duration modelled,
            const std::vector<Clock::duration>& reactions) {
  std::vector<double> us;
  for (auto r : reactions) us.push_back(duration<double, std::micro>(r).count());
  const double model = duration<double>(modelled).count();
  std::printf("%s: measured %.3f s, modelled %.3f s, ratio %.3f\n", name, run.seconds, model,
              run.seconds / model);
  std::printf("  host reaction: median %.1f us, p99 %.1f us (%zu samples)\n",
              percentile(us, 0.5), percentile(us, 0.99), us.size());
  std::printf("  worker CPU: %.2f %% of one core; last line: %s\n", 100.0 * run.cpu / run.seconds,
              run.last.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const bool adapterTime = argc > 1 && std::strcmp(argv[1], "--adapter-time") == 0;
  emu::Kb90Timing timing;
  if (adapterTime) {
    timing = {.erase = milliseconds(400), .blockRead = microseconds(600),
              .blockProgram = milliseconds(2), .checksumBlock = microseconds(300)};
  }
  emu::EmulatorBus bus;
  auto adapter = bus.attach(emu::tags::v41());
  const emu::WireModel wire{.enabled = true};
  adapter->setWireModel(wire);
  auto controller = std::make_shared<emu::Kb90Controller>();
  controller->setTiming(timing);
  std::vector<std::uint8_t> image(131072);
  std::mt19937 random(4410);
  for (auto& b : image) b = static_cast<std::uint8_t>(random());
  controller->setFlash(image);
  adapter->addHandler(controller);

  const auto dir = std::filesystem::temp_directory_path() / "tarvex_bench_kb90";
  std::filesystem::create_directories(dir);
  const std::string readFile = (dir / "read.bin").string();
  const std::string writeFile = (dir / "write.bin").string();
  std::ofstream(writeFile, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
  const milliseconds latency(2);  // set by the link after the handshake

  std::printf("KB90xx transfers over the modelled line (921600 8N1, 1 ms USB frames, latency "
              "timer 2 ms)%s\n", adapterTime ? ", with the controller's work times" : "");

  // Read: 'R' or 'N' answered by a block, 512 times.
  {
    IdealLine line(wire, latency);
    for (int block = 0; block < 512; ++block) line.exchange(1, timing.blockRead, {256});
    QuietView view(readFile);
    adapter->clearRecords();
    const Result run = runTransfer(bus, view, true);
    report("read", run, line.elapsed(), adapter->reactionTimes());
  }
  // Write: 'W' or 'N' answered by a ready byte, the block answered by a block-done byte;
  // then 'S' answered by 512 ticks and the 4 checksum bytes.
  {
    IdealLine line(wire, latency);
    line.exchange(1, timing.erase, {1});
    for (int block = 0; block < 512; ++block) {
      line.exchange(256, timing.blockProgram, {1});
      if (block < 511) line.exchange(1, microseconds(0), {1});
    }
    line.exchange(2, microseconds(0));  // 'X', 'S' in two writes
    std::vector<std::size_t> ticks(512, 1);
    line.exchange(0, timing.checksumBlock, ticks, timing.checksumBlock);
    line.exchange(0, microseconds(0), {4});
    QuietView view(writeFile);
    adapter->clearRecords();
    const Result run = runTransfer(bus, view, false);
    report("write and verify", run, line.elapsed(), adapter->reactionTimes());
  }
  std::filesystem::remove_all(dir);
  return 0;
}
