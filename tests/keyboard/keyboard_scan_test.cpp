// The keyboard tester's scan against the software adapter and its emulated keyboard. The
// test stands in for the window's timer: it raises each tick itself and waits until the
// worker has parked for the next one, so the pacing is checked without real time.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "emulator/emulator_bus.h"
#include "emulator/keyboard/emulated_keyboard.h"
#include "tests/keyboard/recording_keyboard_view.h"
#include "tools/keyboard/keyboard_messages.h"
#include "tools/keyboard/keyboard_tool.h"

namespace tarvex::keyboard {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

class KeyboardScanTest : public testing::Test {
 protected:
  void TearDown() override {
    if (worker_.joinable()) {
      tool_->exitClick();
      keyboard_->holdReplies(false);
      tool_->timerTick();
      worker_.join();
    }
  }

  // Only the first reply counts as coming before any key press: these tests tick far
  // faster than a hand moves.
  void makeTool(ScanBounds bounds = {.reply = 2s, .tick = 5s, .startWindow = 0s}) {
    tool_ = std::make_unique<KeyboardTool>(bus_, view_, view_, bounds);
  }

  // START_SCAN, with the worker on a thread of its own.
  bool start() {
    if (!tool_) makeTool();
    return tool_->startScanClick([this] { worker_ = std::thread([this] { tool_->runScan(); }); });
  }
  // Waits until the worker has handled its reply and parked for tick number `ticks`.
  void awaitParked(std::uint64_t parks) {
    ASSERT_TRUE(tool_->ticks().awaitWaitsBegun(parks, 5s)) << "worker did not park";
  }
  // One timer tick, then wait for the worker to take its reply and park again.
  void tick() {
    const auto parks = tool_->ticks().waitsBegun();
    tool_->timerTick();
    awaitParked(parks + 1);
  }
  void stopAndJoin() {
    EXPECT_FALSE(tool_->exitClick());
    tool_->timerTick();
    worker_.join();
  }
  void join() { worker_.join(); }

  Bytes sent() const { return adapter_->lastOpenReceived(); }
  std::size_t countSent(std::uint8_t byte) const {
    const Bytes all = sent();
    return static_cast<std::size_t>(std::count(all.begin(), all.end(), byte));
  }
  std::size_t requestsSent() const { return countSent('u') + countSent('U'); }

  void expectIdleAndClosed() {
    EXPECT_TRUE(tool_->mode().idle());
    EXPECT_FALSE(adapter_->isOpen());
    EXPECT_EQ(view_.buttonStates().back(), true);
    EXPECT_EQ(view_.captions().back(), "EXIT");
    EXPECT_EQ(view_.timerStates().back(), false);
    EXPECT_EQ(sent().back(), 'Q');
  }

  emu::EmulatorBus bus_;
  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::v41());
  std::shared_ptr<emu::EmulatedKeyboard> keyboard_ = [this] {
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    adapter_->addHandler(keyboard);
    return keyboard;
  }();
  test::RecordingKeyboardView view_;
  std::unique_ptr<KeyboardTool> tool_;
  std::thread worker_;
};

TEST_F(KeyboardScanTest, AScanRunsRequestByReplyAndEndsWithQ) {
  ASSERT_TRUE(start());
  EXPECT_TRUE(tool_->scanning());
  EXPECT_EQ(tool_->mode().get(), "Keyboard");
  EXPECT_EQ(
      view_.lines(),
      (Lines{"Number of VCOM ports found on the machine: 1", "COM порт сброшен.",
             "Установлена скорость 921600 bps.", "Произведена настройка формата передачи данных.",
             "Произведена настройка таймаутов.", "Произведена настройка LatencyTimer.",
             "Настроили порт 0", "Communication with programmer installed."}));
  EXPECT_EQ(view_.captions(), Lines{"STOP"});
  EXPECT_EQ(view_.buttonStates(), std::vector<bool>{false});
  EXPECT_EQ(view_.timerStates(), std::vector<bool>{true});
  awaitParked(1);
  tick();
  tick();
  stopAndJoin();
  EXPECT_EQ(sent(), (Bytes{'B', 'u', 'U', 'U', 'U', 'Q'}));
  expectIdleAndClosed();
  EXPECT_TRUE(view_.changedCells().empty());
}

TEST_F(KeyboardScanTest, NeverTwoRequestsWithinOneTick) {
  ASSERT_TRUE(start());
  awaitParked(1);
  EXPECT_EQ(requestsSent(), 1u);
  for (std::size_t ticks = 1; ticks <= 5; ++ticks) {
    keyboard_->pressKey(1, 2 + static_cast<int>(ticks));
    tick();
    EXPECT_EQ(requestsSent(), ticks + 1);
  }
  // Ticks that come while a reply is still awaited are not saved up for later requests.
  keyboard_->holdReplies(true);
  tool_->timerTick();
  ASSERT_TRUE(tool_->ticks().awaitWaitsBegun(6, 5s));
  const auto parks = tool_->ticks().waitsBegun();
  for (int i = 0; i < 3; ++i) tool_->timerTick();
  keyboard_->holdReplies(false);
  awaitParked(parks + 1);
  EXPECT_EQ(requestsSent(), 7u);
  tick();
  EXPECT_EQ(requestsSent(), 8u);
  stopAndJoin();
}

TEST_F(KeyboardScanTest, AnEmptyReplyChangesNothingAndDoesNotBeep) {
  ASSERT_TRUE(start());
  awaitParked(1);
  tick();
  stopAndJoin();
  EXPECT_TRUE(view_.changedCells().empty());
  EXPECT_EQ(countSent('I'), 0u);
}

TEST_F(KeyboardScanTest, EachReportTogglesItsCellAndBeepsOncePerReply) {
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->queueRawReply({'>', 3, 7, '&'});
  tick();
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kRed);
  keyboard_->queueRawReply({'>', 3, 7, '&'});
  tick();
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kYellow);
  keyboard_->queueRawReply({'>', 3, 7, '&'});
  tick();
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kRed);
  // Two reports of the same pair in one reply: two toggles, one beep.
  keyboard_->queueRawReply({'>', 1, 2, '>', 1, 2, '&'});
  tick();
  EXPECT_EQ(tool_->cells().color(1, 2), cell_colors::kYellow);
  // One record naming two second pins toggles both cells.
  keyboard_->queueRawReply({'>', 5, 6, 7, '&'});
  tick();
  stopAndJoin();
  EXPECT_EQ(tool_->cells().color(5, 6), cell_colors::kRed);
  EXPECT_EQ(tool_->cells().color(5, 7), cell_colors::kRed);
  EXPECT_EQ(tool_->cells().color(3, 6), cell_colors::kAqua);
  EXPECT_EQ(countSent('I'), 5u);
  EXPECT_EQ(view_.changedCells(), (std::vector<std::pair<int, int>>{
                                      {3, 7}, {3, 7}, {3, 7}, {1, 2}, {1, 2}, {5, 6}, {5, 7}}));
  // The beep follows the reply it belongs to, before the next request.
  const Bytes all = sent();
  EXPECT_EQ(Bytes(all.begin(), all.begin() + 5), (Bytes{'B', 'u', 'U', 'I', 'U'}));
}

TEST_F(KeyboardScanTest, NoSoundSendsNoBeepAtAll) {
  makeTool();
  tool_->setNoSound(true);
  keyboard_->pressKey(3, 7);
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->pressKey(4, 9);
  tick();
  stopAndJoin();
  EXPECT_EQ(countSent('I'), 0u);
  EXPECT_EQ(tool_->cells().color(4, 9), cell_colors::kRed);
}

TEST_F(KeyboardScanTest, RepliesSplitOverSeveralReadsArePutTogether) {
  keyboard_->setReplySplit(4, 2ms);
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->pressKey(5, 6);
  keyboard_->pressKey(5, 7);
  keyboard_->pressKey(20, 31);
  tick();
  stopAndJoin();
  EXPECT_EQ(tool_->cells().color(5, 6), cell_colors::kRed);
  EXPECT_EQ(tool_->cells().color(5, 7), cell_colors::kRed);
  EXPECT_EQ(tool_->cells().color(20, 31), cell_colors::kRed);
  EXPECT_EQ(countSent('I'), 1u);
}

TEST_F(KeyboardScanTest, PairsThatNameNoCellAreIgnoredAndTheScanGoesOn) {
  keyboard_->queueRawReply({'>', 7, 3, '>', 0, '>', 12, 40, '>', 9, 9, '>', 200, 1, '&'});
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->pressKey(2, 4);
  tick();
  stopAndJoin();
  EXPECT_EQ(view_.changedCells(), (std::vector<std::pair<int, int>>{{2, 4}}));
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kAqua);
}

TEST_F(KeyboardScanTest, AnOversizedReplyNeverOverflowsAndKeepsItsFirstPart) {
  // 1500 bytes arrive at once: more than the receive buffer takes in one read and more
  // than the reply buffer holds.
  Bytes huge{'>', 8, 9};
  huge.resize(1499, 10);
  huge.push_back('&');
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->queueRawReply(huge);
  tick();
  keyboard_->pressKey(1, 3);
  tick();
  stopAndJoin();
  EXPECT_EQ(tool_->cells().color(8, 9), cell_colors::kRed);
  // (8, 10) was reported many times over within the kept part; an even count leaves aqua.
  const std::size_t togglesOf810 = 1024 - 3;
  EXPECT_EQ(tool_->cells().color(8, 10),
            togglesOf810 % 2 ? cell_colors::kRed : cell_colors::kYellow);
  EXPECT_EQ(tool_->cells().color(1, 3), cell_colors::kRed);
  EXPECT_TRUE(view_.hasLine(text::kReplyTooLong));
}

TEST_F(KeyboardScanTest, StopWaitsForTheNextCompleteReply) {
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->holdReplies(true);
  keyboard_->pressKey(6, 11);
  tool_->timerTick();
  EXPECT_FALSE(tool_->exitClick());
  // The adapter is silent: the scan goes on and nothing more is sent.
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(tool_->scanning());
  EXPECT_EQ(sent(), (Bytes{'B', 'u', 'U'}));
  keyboard_->holdReplies(false);
  join();
  EXPECT_EQ(sent(), (Bytes{'B', 'u', 'U', 'I', 'Q'}));
  EXPECT_EQ(tool_->cells().color(6, 11), cell_colors::kRed);
  expectIdleAndClosed();
}

TEST_F(KeyboardScanTest, ASilentAdapterEndsTheScanAfterTheBound) {
  makeTool({.reply = 100ms, .tick = 5s});
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->queueRawReply({});  // the next request is swallowed
  tool_->timerTick();
  join();
  EXPECT_TRUE(view_.hasLine(text::kAdapterSilent));
  EXPECT_EQ(sent(), (Bytes{'B', 'u', 'U', 'Q'}));
  expectIdleAndClosed();
  // The tool is usable again at once.
  ASSERT_TRUE(start());
  awaitParked(1);
  stopAndJoin();
  EXPECT_EQ(adapter_->openCount(), 2u);
}

TEST_F(KeyboardScanTest, AReplyThatNeverEndsCountsAsSilence) {
  makeTool({.reply = 100ms, .tick = 5s});
  keyboard_->queueRawReply({'>', 3, 7});
  ASSERT_TRUE(start());
  join();
  EXPECT_TRUE(view_.hasLine(text::kAdapterSilent));
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kAqua);
  expectIdleAndClosed();
}

TEST_F(KeyboardScanTest, AnUnpluggedAdapterEndsTheScanWithTheLinkClosed) {
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->holdReplies(true);
  tool_->timerTick();
  adapter_->unplug();
  join();
  EXPECT_TRUE(view_.hasLine(text::kLinkLost));
  EXPECT_TRUE(tool_->mode().idle());
  EXPECT_FALSE(adapter_->isOpen());
  EXPECT_EQ(view_.buttonStates().back(), true);
  EXPECT_EQ(view_.captions().back(), "EXIT");
}

TEST_F(KeyboardScanTest, StoppedTimerEndsTheScan) {
  makeTool({.reply = 2s, .tick = 50ms});
  ASSERT_TRUE(start());
  join();
  EXPECT_TRUE(view_.hasLine(text::kTimerStopped));
  expectIdleAndClosed();
}

TEST_F(KeyboardScanTest, ClearDuringAScanRepaintsAquaAndLaterReportsStartOver) {
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->pressKey(3, 7);
  tick();
  keyboard_->pressKey(3, 7);
  tick();
  ASSERT_EQ(tool_->cells().color(3, 7), cell_colors::kYellow);
  tool_->clearClick();
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kAqua);
  EXPECT_EQ(view_.allCellsRepaints(), 1);
  keyboard_->pressKey(3, 7);
  tick();
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kRed);
  stopAndJoin();
  // Colours survive a stop and a new start.
  ASSERT_TRUE(start());
  awaitParked(1);
  stopAndJoin();
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kRed);
  EXPECT_TRUE(view_.lines().size() > 8u);  // the log is never cleared
}

TEST_F(KeyboardScanTest, PairsConnectedAtStartAreNamedOnceMarkedAndSummarised) {
  // A stuck key (3, 7) held from before START, reported in every reply; a real key (1, 2)
  // pressed later, twice.
  keyboard_->holdKey(3, 7);
  ASSERT_TRUE(start());
  awaitParked(1);
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kFuchsia);
  keyboard_->pressKey(1, 2);
  tick();
  keyboard_->pressKey(2, 1);
  tick();
  stopAndJoin();
  const std::string stuck = "Pins 3-7 connected at start: shorted lines or a stuck key.";
  const Lines lines = view_.lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), stuck), 1);
  // Later reports of the stuck pair neither flip its mark nor repaint it.
  EXPECT_EQ(tool_->cells().color(3, 7), cell_colors::kFuchsia);
  EXPECT_EQ(tool_->cells().color(1, 2), cell_colors::kYellow);
  EXPECT_EQ(view_.changedCells(), (std::vector<std::pair<int, int>>{{3, 7}, {1, 2}, {1, 2}}));
  EXPECT_EQ(lines.back(), "Scan summary: 2 distinct pin pairs seen: 1-2, 3-7 (connected at start)");

  // The next scan starts afresh: the key released, nothing pressed, nothing seen.
  keyboard_->releaseKey(3, 7);
  ASSERT_TRUE(start());
  awaitParked(1);
  stopAndJoin();
  EXPECT_EQ(view_.lines().back(), text::kSummaryNone);

  // Replies within the start window count as at start even after the first; later ones
  // are presses.
  makeTool({.reply = 2s, .tick = 5s, .startWindow = 300ms});
  tool_->clearClick();
  ASSERT_TRUE(start());
  awaitParked(1);
  keyboard_->pressKey(4, 9);
  tick();
  std::this_thread::sleep_for(300ms);
  keyboard_->pressKey(5, 9);
  tick();
  stopAndJoin();
  EXPECT_EQ(tool_->cells().color(4, 9), cell_colors::kFuchsia);
  EXPECT_EQ(tool_->cells().color(5, 9), cell_colors::kRed);
  EXPECT_TRUE(view_.hasLine("Pins 4-9 connected at start: shorted lines or a stuck key."));
  EXPECT_EQ(view_.lines().back(),
            "Scan summary: 2 distinct pin pairs seen: 4-9 (connected at start), 5-9");
}

TEST_F(KeyboardScanTest, StartWhileScanningIsRefused) {
  ASSERT_TRUE(start());
  EXPECT_FALSE(tool_->startScanClick([] { ADD_FAILURE() << "second worker started"; }));
  awaitParked(1);
  stopAndJoin();
  EXPECT_EQ(adapter_->openCount(), 1u);
}

TEST_F(KeyboardScanTest, NoAdapterOrOldFirmwareLeavesTheToolIdle) {
  adapter_->setTag({'V', '4', '2'});
  makeTool();
  EXPECT_FALSE(tool_->startScanClick([] { ADD_FAILURE() << "worker started"; }));
  EXPECT_TRUE(view_.hasLine("It is necessary to update the firmware programmer!"));
  bus_.detachAll();
  EXPECT_FALSE(tool_->startScanClick([] { ADD_FAILURE() << "worker started"; }));
  EXPECT_TRUE(view_.hasLine("VCOM port is not found on the machine!"));
  EXPECT_TRUE(tool_->mode().idle());
  EXPECT_TRUE(view_.buttonStates().empty());
  EXPECT_TRUE(tool_->exitClick());
}

TEST_F(KeyboardScanTest, TheToolIsIdleOnlyOnceTheLinkIsClosed) {
  bool closedWhenIdle = false;
  view_.onButtonsEnabled = [this, &closedWhenIdle] {
    closedWhenIdle = tool_->mode().idle() && !adapter_->isOpen();
  };
  ASSERT_TRUE(start());
  awaitParked(1);
  stopAndJoin();
  EXPECT_TRUE(closedWhenIdle);
}

}  // namespace
}  // namespace tarvex::keyboard
