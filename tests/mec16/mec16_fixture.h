#pragma once
// The MEC16 tool against the software adapter with an emulated controller behind it, seen
// through a recording view that also keeps the indicator colours.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "emulator/emulator_bus.h"
#include "emulator/mec16/mec1609.h"
#include "tests/support/recording_view.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex::mec16::test {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

class RecordingMec16View : public tarvex::test::RecordingView, public Mec16View {
 public:
  // Both bases are tool views: one set of overrides serves them both.
  void logLine(const std::string& line) override { RecordingView::logLine(line); }
  void clearLog() override { RecordingView::clearLog(); }
  void setGaugeMaximum(int g, int m) override { RecordingView::setGaugeMaximum(g, m); }
  void setGaugeProgress(int g, int p) override { RecordingView::setGaugeProgress(g, p); }
  void setGaugeColor(int g, Rgb c) override { RecordingView::setGaugeColor(g, c); }
  void setStartButtonsEnabled(bool e) override { RecordingView::setStartButtonsEnabled(e); }
  std::optional<std::string> chooseFile(const FileDialogSpec& s) override {
    return RecordingView::chooseFile(s);
  }
  void showErrorBox(const std::string& t) override { RecordingView::showErrorBox(t); }
  bool askYesNo(const std::string& q) override { return RecordingView::askYesNo(q); }

  void setIndicator(Indicator which, Rgb color) override {
    std::lock_guard lock(mutex_);
    (which == Indicator::kFwp ? fwp_ : bootLock_) = color;
  }
  Rgb fwp() const {
    std::lock_guard lock(mutex_);
    return fwp_;
  }
  Rgb bootLock() const {
    std::lock_guard lock(mutex_);
    return bootLock_;
  }

 private:
  Rgb fwp_{1, 1, 1};  // neither black, green nor red: never painted
  Rgb bootLock_{1, 1, 1};
};

// Bounds short enough that a fault which runs one out costs a fraction of a second.
inline Mec16Bounds testBounds() { return {300ms, 500ms, 300ms}; }

class Mec16Test : public testing::Test {
 protected:
  void SetUp() override {
    adapter_->addHandler(chip_);
    dir_ = std::filesystem::temp_directory_path() /
           ("tarvex_mec16_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // What the adapter received in the last open, as text (register requests are ASCII).
  std::string sent() const {
    const Bytes bytes = adapter_->lastOpenReceived();
    return std::string(bytes.begin(), bytes.end());
  }

  // Runs the worker to its end, as the window's worker thread does.
  void runWorker() {
    std::thread worker([this] { tool_.runWorker(); });
    worker.join();
  }

  bool hasLine(const std::string& line) const { return view_.hasLine(line); }

  emu::EmulatorBus bus_;
  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::v42());
  std::shared_ptr<emu::Mec1609> chip_ = std::make_shared<emu::Mec1609>();
  RecordingMec16View view_;
  Mec16Tool tool_{bus_, view_, testBounds()};
  std::filesystem::path dir_;
};

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes pattern(std::size_t size, unsigned seed = 7) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 31 + seed) >> 3);
  return bytes;
}

// Register requests as the adapter sees them.
inline std::string rd(const std::string& address) { return "r" + address; }
inline std::string wr(const std::string& address, const std::string& value) {
  return "w" + address + value;
}
inline std::string releaseWrites() {
  return wr("FF3908", "00000100") + wr("FF3908", "00000000") + wr("FF3910", "00000000");
}

}  // namespace tarvex::mec16::test
