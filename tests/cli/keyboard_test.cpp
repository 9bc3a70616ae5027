// The keyboard tester through the command line: toggled cells printed as they come, and a
// scan that always ends with the stop sequence, by its time, by Ctrl-C or by a silent
// adapter (the only one of the three that fails).

#include <gtest/gtest.h>

#include <algorithm>

#include "cli_bench.h"
#include "emulator/keyboard/emulated_keyboard.h"

namespace tarvex::cli::test {
namespace {

class CliKeyboardTest : public CliBench {
 protected:
  void SetUp() override {
    CliBench::SetUp();
    adapter_->addHandler(keyboard_);
  }
  std::size_t sentCount(std::uint8_t byte) const {
    const Bytes sent = adapter_->lastOpenReceived();
    return static_cast<std::size_t>(std::count(sent.begin(), sent.end(), byte));
  }
  // The cell lines among the output (the link's step lines come first).
  Lines cellLines() const {
    Lines cells;
    for (const auto& line : outLines()) {
      if (line.find('-') != std::string::npos && line.find(' ') != std::string::npos &&
          std::isdigit(static_cast<unsigned char>(line[0]))) {
        cells.push_back(line);
      }
    }
    return cells;
  }

  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::v41());
  std::shared_ptr<emu::EmulatedKeyboard> keyboard_ = std::make_shared<emu::EmulatedKeyboard>();
};

TEST_F(CliKeyboardTest, PrintsEachToggledCellAndStopsAfterItsTime) {
  ASSERT_TRUE(keyboard_->pressKey(7, 3));
  ASSERT_TRUE(keyboard_->pressKey(3, 7));
  ASSERT_TRUE(keyboard_->pressKey(12, 30));
  EXPECT_EQ(run({"keyboard", "scan", "--seconds", "0.6"}), kExitSuccess) << err();
  // The first reply carries all three; the second report of a pair turns red into yellow.
  EXPECT_EQ(cellLines(), (Lines{"3-7 red", "3-7 yellow", "12-30 red"}));
  EXPECT_TRUE(outHas("COM порт сброшен."));
  const Bytes sent = adapter_->lastOpenReceived();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), 'Q');
  // A request every tick of 100 ms for 0.6 s, and one buzz for the one reply with keys.
  EXPECT_GE(sentCount('U'), 2u);
  EXPECT_LE(sentCount('U'), 9u);
  EXPECT_EQ(sentCount('I'), 1u);
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(CliKeyboardTest, CtrlCStopsTheScanQuietly) {
  ASSERT_TRUE(keyboard_->pressKey(1, 2));
  interrupted_ = true;
  EXPECT_EQ(run({"keyboard", "scan", "--no-sound"}), kExitSuccess) << err();
  EXPECT_EQ(adapter_->lastOpenReceived().back(), 'Q');
  EXPECT_EQ(sentCount('I'), 0u);
}

TEST_F(CliKeyboardTest, ASilentAdapterEndsTheScanAsAFailure) {
  keyboard_->holdReplies(true);
  EXPECT_EQ(run({"keyboard", "scan", "--seconds", "30"}), kExitFailure);
  EXPECT_TRUE(outHas("The programmer does not respond, scanning stopped."));
  EXPECT_EQ(adapter_->lastOpenReceived().back(), 'Q');

  bus_.detachAll();
  EXPECT_EQ(run({"keyboard", "scan"}), kExitFailure);
  EXPECT_EQ(outLines().back(), "VCOM port is not found on the machine!");
}

}  // namespace
}  // namespace tarvex::cli::test
