#pragma once
// An EDID tool wired to a software adapter with a panel EEPROM behind it, a recording view
// and a scratch folder for image files. Wait bounds are short so a stalled adapter fails
// a test in a fraction of a second.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "emulator/eeprom/demo_panel.h"
#include "emulator/eeprom/panel_eeprom.h"
#include "emulator/emulator_bus.h"
#include "tests/support/recording_view.h"
#include "tools/edid/edid_decode.h"
#include "tools/edid/edid_tool.h"

namespace tarvex::test {

using Bytes = std::vector<std::uint8_t>;

class EdidBench : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_);
    eeprom_->setTiming({.pieceMin = 1, .pieceMax = 64, .gapMax = std::chrono::microseconds(200),
                        .writeTime = std::chrono::microseconds(500)});
    adapter_->addHandler(eeprom_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  static Bytes fileBytes(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void writeFile(const std::string& p, const Bytes& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  }
  static Bytes ramp(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
  }
  Bytes sent() const { return adapter_->lastOpenReceived(); }
  Bytes contents() const {
    const auto c = eeprom_->contents();
    return Bytes(c.begin(), c.end());
  }
  Bytes image() const { return Bytes(reader_->image().begin(), reader_->image().end()); }
  std::string lastLine() const {
    const auto l = view_.lines();
    return l.empty() ? "<none>" : l.back();
  }
  // A read that got the image ends its log with an empty line and the image's decode; the
  // line before them, or a note that the decode is not where it belongs.
  std::string lastLineBeforeDecode() const {
    const auto l = view_.lines();
    auto block = edid::decodeLines(edid::decodeEdid(image()));
    block.insert(block.begin(), "");
    if (l.size() <= block.size() ||
        !std::equal(block.begin(), block.end(), l.end() - static_cast<long>(block.size()))) {
      return "<no decode at the end>";
    }
    return l[l.size() - block.size() - 1];
  }

  const std::filesystem::path dir_ = std::filesystem::temp_directory_path() /
                                     ("tarvex_edid_" + std::to_string(::getpid()));
  emu::EmulatorBus bus_;
  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::v41());
  std::shared_ptr<emu::PanelEeprom> eeprom_ =
      std::make_shared<emu::PanelEeprom>(emu::demoPanelEeprom(), 7);
  RecordingView view_;
  // Windows rounds every wait of the panel's microsecond gaps up to a millisecond or more:
  // a reply in 258 single-byte pieces takes longer there than anywhere else.
#ifdef _WIN32
  static constexpr std::chrono::milliseconds kReadReply{3000};
#else
  static constexpr std::chrono::milliseconds kReadReply{300};
#endif
  edid::EdidTool tool_{bus_, view_,
                       {.readReply = kReadReply,
                        .writeAck = std::chrono::milliseconds(300),
                        .writeStatus = std::chrono::milliseconds(300)}};
  // The tool whose image image() shows: tool_ unless a test reads with one of its own.
  const edid::EdidTool* reader_ = &tool_;
};

}  // namespace tarvex::test
