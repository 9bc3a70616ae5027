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
    // Only the first reply counts as coming before any key press: replies here follow each
    // other far sooner than a hand moves.
    env_.bounds.keyboard.startWindow = 0s;
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
  keyboard_->queueRawReply({'&'});
  keyboard_->queueRawReply({'>', 3, 7, '>', 3, 7, 12, '>', 12, 30, '&'});
  EXPECT_EQ(run({"keyboard", "scan", "--seconds", "0.6"}), kExitSuccess) << err();
  // The second reply carries all three; the second report of a pair turns red into yellow.
  EXPECT_EQ(cellLines(), (Lines{"3-7 red", "3-7 yellow", "3-12 red", "12-30 red"}));
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

TEST_F(CliKeyboardTest, AStuckKeyIsNamedOnceAndTheSummaryEndsTheOutput) {
  // Held from the start and reported in every reply, then a key pressed later.
  keyboard_->queueRawReply({'>', 3, 7, '&'});
  keyboard_->queueRawReply({'>', 3, 7, '>', 1, 2, '&'});
  ASSERT_TRUE(keyboard_->holdKey(3, 7));
  EXPECT_EQ(run({"keyboard", "scan", "--seconds", "0.5"}), kExitSuccess) << err();
  EXPECT_EQ(cellLines(), (Lines{"3-7 fuchsia", "1-2 red"}));
  const Lines out = outLines();
  EXPECT_EQ(std::count(out.begin(), out.end(),
                       "Pins 3-7 connected at start: shorted lines or a stuck key."),
            1);
  EXPECT_EQ(out.back(), "Scan summary: 2 distinct pin pairs seen: 1-2, 3-7 (connected at start)");

  keyboard_->releaseKey(3, 7);
  EXPECT_EQ(run({"keyboard", "scan", "--seconds", "0.2"}), kExitSuccess) << err();
  EXPECT_EQ(outLines().back(), "Scan summary: no pin pair seen.");
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
