#pragma once
// A KB90xx tool against the software adapter with an emulated controller behind it, a
// recording view, and a scratch folder for image files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "emulator/emulator_bus.h"
#include "emulator/kb90/kb90_controller.h"
#include "tests/support/recording_view.h"
#include "tools/kb90/kb90_tool.h"

namespace tarvex::kb90::test {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// The common view plus the tool's three buttons.
class Kb90RecordingView : public tarvex::test::RecordingView, public Kb90View {
 public:
  void setButtonEnabled(Kb90Button button, bool enabled) override {
    std::lock_guard lock(mutex_);
    buttons_[button] = enabled;
    buttonChanges_.push_back({button, enabled});
  }
  bool enabled(Kb90Button button) const {
    std::lock_guard lock(mutex_);
    auto it = buttons_.find(button);
    return it == buttons_.end() || it->second;
  }
  std::vector<std::pair<Kb90Button, bool>> buttonChanges() const {
    std::lock_guard lock(mutex_);
    return buttonChanges_;
  }
  // The lines from the first one equal to `from` on (time stamps shortened to their word).
  std::vector<std::string> linesFrom(const std::string& from) const {
    std::vector<std::string> out;
    bool on = false;
    for (auto line : lines()) {
      if (line == from) on = true;
      if (line.rfind("Current time  ", 0) == 0) line = "Current time  ";
      if (on) out.push_back(line);
    }
    return out;
  }

 private:
  std::map<Kb90Button, bool> buttons_;
  std::vector<std::pair<Kb90Button, bool>> buttonChanges_;
};

// Bounds short enough that a stalled adapter fails a test quickly, long enough that a
// busy machine does not.
inline Kb90Bounds quickBounds() {
  return {.connectReply = 2s, .block = 300ms, .checksumStep = 300ms, .checksumReply = 300ms,
          .workerHandOver = 300ms};
}

inline Bytes randomImage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

inline Bytes readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline std::size_t countOf(const Bytes& bytes, std::uint8_t value) {
  return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), value));
}

class Kb90Fixture : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kb90_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    adapter_ = bus_.attach(emu::tags::v41());
    adapter_->addHandler(controller_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string writeImage(const std::string& name, const Bytes& bytes) {
    std::ofstream(dir_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return path(name);
  }

  // Runs a button click as the window does: the handler, then the worker on its own
  // thread while the handler finishes. False when the handler stopped early.
  bool run(bool reading) {
    const bool started = reading ? tool_.readClick() : tool_.writeClick();
    if (!started) return false;
    std::thread worker([this] { tool_.runWorker(); });
    tool_.beginTransfer();
    worker.join();
    return true;
  }
  bool read(const std::string& file) {
    view_.answerNextDialog(file);
    return run(true);
  }
  bool write(const std::string& file) {
    view_.answerNextDialog(file);
    return run(false);
  }

  // The bytes the host sent after the handshake 'B'.
  Bytes sentAfterTag() const {
    Bytes sent = adapter_->lastOpenReceived();
    if (!sent.empty() && sent.front() == 'B') sent.erase(sent.begin());
    return sent;
  }

  void expectIdleAndClosed() {
    EXPECT_TRUE(tool_.mode().idle());
    EXPECT_FALSE(adapter_->isOpen());
    EXPECT_TRUE(view_.enabled(Kb90Button::kRead));
    EXPECT_TRUE(view_.enabled(Kb90Button::kWrite));
    EXPECT_TRUE(view_.enabled(Kb90Button::kExit));
  }

  std::filesystem::path dir_;
  emu::EmulatorBus bus_;
  std::shared_ptr<emu::EmulatedAdapter> adapter_;
  std::shared_ptr<emu::Kb90Controller> controller_ = std::make_shared<emu::Kb90Controller>(0x0C);
  Kb90RecordingView view_;
  Kb90Tool tool_{bus_, view_, view_, quickBounds()};
};

}  // namespace tarvex::kb90::test
