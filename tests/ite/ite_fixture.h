#pragma once
// A simulated bench for the ITE tool: a software adapter with the ITE firmware, an IT85xx
// board behind it, a recording view with the ITE window's controls, and the tool with
// short wait bounds so fault tests end quickly.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "emulator/emulator_bus.h"
#include "emulator/ite/it85_board.h"
#include "tests/support/recording_view.h"
#include "tools/ite/ite_tool.h"

namespace tarvex::test {

using Bytes = std::vector<std::uint8_t>;

// RecordingView plus the ITE controls, with the window's initial state.
class IteRecordingView : public RecordingView, public IteControls {
 public:
  IteRecordingView() {
    pins_.fill(0);
    pins_[0] = kNoSelection;  // ComboBox1 shows "NC" but starts without a selection
  }
  void setButtonEnabled(IteButton button, bool enabled) override {
    std::lock_guard lock(mutex_);
    buttons_[static_cast<int>(button)] = enabled;
  }
  void setPresetItems(const std::vector<std::string>& items, bool fileMissing) override {
    items_ = items;
    fileMissing_ = fileMissing;
  }
  void selectPresetItem(int index) override { selectedItem_ = index; }
  int pinIndex(int box) const override { return pins_[box]; }
  void setPinIndex(int box, int index) override { pins_[box] = index; }
  bool orientationChecked() const override { return checked_; }
  void setOrientationChecked(bool checked) override { checked_ = checked; }
  void setOrientationEnabled(bool enabled) override { orientationEnabled_ = enabled; }

  bool button(IteButton b) const {
    std::lock_guard lock(mutex_);
    return buttons_[static_cast<int>(b)];
  }
  bool allButtonsEnabled() const {
    std::lock_guard lock(mutex_);
    for (bool b : buttons_) {
      if (!b) return false;
    }
    return true;
  }

  std::array<bool, 5> buttons_{true, true, true, true, true};
  std::vector<std::string> items_;
  bool fileMissing_ = false;
  int selectedItem_ = -1;
  PinAssignments pins_{};
  bool checked_ = true;
  bool orientationEnabled_ = false;
};

// The wiring of the simulated board and the matching box contents.
inline emu::It85Board::Wiring benchWiring() {
  return {3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 15, 14, 11, 16, 17};
}

// Box contents for a wiring: the emulator lists signals PD0..PD7, STB, AFD, INIT, SLIN, BUSY,
// KSI4, KSI5; the boxes hold SLIN# before INIT#.
inline PinAssignments boxesFor(const emu::It85Board::Wiring& w) {
  return {w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9], w[11], w[10], w[12],
          w[13], w[14]};
}

inline IteBounds fastBounds() {
  using namespace std::chrono_literals;
  IteBounds b;
  b.reply = 200ms;
  b.attach = 300ms;
  b.page = 300ms;
  b.firstAddress = 1s;
  b.flashByte = 100ms;
  b.drain = 100ms;
  return b;
}

class IteBench : public testing::Test {
 protected:
  void SetUp() override {
    adapter_->addHandler(board_);
    dir_ = std::filesystem::temp_directory_path() /
           ("tarvex_ite_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // The adapter already holds the board's assignments, as after "Send settings".
  void settingsInAdapter() {
    view_.pins_ = boxesFor(benchWiring());
    tool_.sendSettings();
    ASSERT_TRUE(view_.hasLine("All settings sent successfully."));
    adapter_->clearRecords();
  }

  // Runs the worker as its thread would, and waits for it.
  void runWorker() {
    std::thread worker([this] { tool_.runWorker(); });
    worker.join();
  }

  // Bytes the host sent after the handshake of the last open.
  Bytes sentAfterHandshake() const {
    Bytes all = adapter_->lastOpenReceived();
    if (!all.empty() && all.front() == 'B') all.erase(all.begin());
    return all;
  }

  static void writeFile(const std::string& p, const Bytes& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static Bytes readFile(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  emu::EmulatorBus bus_;
  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::ite());
  std::shared_ptr<emu::It85Board> board_ = std::make_shared<emu::It85Board>(benchWiring());
  IteRecordingView view_;
  IteTool tool_{bus_, view_, view_, fastBounds()};
  std::filesystem::path dir_;
};

}  // namespace tarvex::test
