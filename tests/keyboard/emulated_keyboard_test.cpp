// The emulated keyboard behind the software adapter, driven at the device layer: what it
// answers to the scan commands, and how key presses become pair records.

#include "emulator/keyboard/emulated_keyboard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "emulator/emulator_bus.h"
#include "emulator/keyboard/demo_keyboard.h"

namespace tarvex::emu {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

class EmulatedKeyboardTest : public testing::Test {
 protected:
  void SetUp() override {
    adapter_->addHandler(keyboard_);
    ASSERT_EQ(bus_.open(0, &dev_), FT_OK);
  }

  void send(std::uint8_t command) {
    std::uint32_t n = 0;
    ASSERT_EQ(dev_->write(&command, 1, &n), FT_OK);
  }
  // Everything the adapter sends until a reply ends with '&' (or a short bound passes).
  Bytes reply() {
    Bytes all;
    const auto deadline = SteadyClock::now() + 2s;
    while (all.empty() || all.back() != '&') {
      std::uint32_t queued = 0;
      dev_->waitForQueue(1, deadline, &queued);
      if (queued == 0) break;
      Bytes part(queued);
      std::uint32_t n = 0;
      dev_->read(part.data(), queued, &n);
      all.insert(all.end(), part.begin(), part.begin() + n);
    }
    return all;
  }
  Bytes quietFor(std::chrono::milliseconds wait) {
    std::uint32_t queued = 0;
    dev_->waitForQueue(1, SteadyClock::now() + wait, &queued);
    Bytes part(queued);
    std::uint32_t n = 0;
    if (queued > 0) dev_->read(part.data(), queued, &n);
    return part;
  }

  EmulatorBus bus_;
  std::shared_ptr<EmulatedAdapter> adapter_ = bus_.attach(tags::v41());
  std::shared_ptr<EmulatedKeyboard> keyboard_ = std::make_shared<EmulatedKeyboard>();
  std::unique_ptr<FtDevice> dev_;
};

TEST_F(EmulatedKeyboardTest, EachRequestGetsOneReportOfThePressesSinceTheLast) {
  send('u');
  EXPECT_EQ(reply(), Bytes{'&'});
  ASSERT_TRUE(keyboard_->pressKey(7, 3));
  send('U');
  EXPECT_EQ(reply(), (Bytes{'>', 3, 7, '&'}));
  send('U');
  EXPECT_EQ(reply(), Bytes{'&'});
  EXPECT_EQ(keyboard_->requestCount(), 3u);
}

TEST_F(EmulatedKeyboardTest, PressesWithTheSameFirstPinShareARecord) {
  keyboard_->pressKey(5, 6);
  keyboard_->pressKey(1, 2);
  keyboard_->pressKey(5, 7);
  keyboard_->pressKey(1, 2);
  send('u');
  EXPECT_EQ(reply(), (Bytes{'>', 5, 6, 7, '>', 1, 2, 2, '&'}));
}

TEST_F(EmulatedKeyboardTest, RejectsPinPairsNoKeyCanJoin) {
  EXPECT_FALSE(keyboard_->pressKey(0, 3));
  EXPECT_FALSE(keyboard_->pressKey(4, 33));
  EXPECT_FALSE(keyboard_->pressKey(9, 9));
  EXPECT_EQ(keyboard_->pendingPresses(), 0u);
}

TEST_F(EmulatedKeyboardTest, NextReplyOutsideAScanAndAfterEndIsIgnored) {
  send('U');
  EXPECT_EQ(quietFor(50ms), Bytes{});
  send('u');
  EXPECT_EQ(reply(), Bytes{'&'});
  send('Q');
  send('U');
  EXPECT_EQ(quietFor(50ms), Bytes{});
  EXPECT_FALSE(keyboard_->scanning());
}

TEST_F(EmulatedKeyboardTest, RawAndSplitRepliesArriveWhole) {
  keyboard_->setReplySplit(3, 1ms);
  keyboard_->queueRawReply({'>', 200, 4, '&'});
  keyboard_->pressKey(2, 9);
  send('u');
  EXPECT_EQ(reply(), (Bytes{'>', 200, 4, '&'}));
  send('U');
  EXPECT_EQ(reply(), (Bytes{'>', 2, 9, '&'}));
}

TEST_F(EmulatedKeyboardTest, AHeldReplyWaitsAndTakesLaterPresses) {
  keyboard_->holdReplies(true);
  send('u');
  EXPECT_EQ(quietFor(30ms), Bytes{});
  keyboard_->pressKey(1, 32);
  keyboard_->holdReplies(false);
  EXPECT_EQ(reply(), (Bytes{'>', 1, 32, '&'}));
}

TEST(DemoKeyboardTest, EveryNamedKeyJoinsItsOwnPinPair) {
  const auto chips = demoKeyboardChips();
  const auto keyboard = demoKeyboard();
  ASSERT_EQ(chips.size(), 1u);
  ASSERT_EQ(keyboard, chips.front());
  std::set<std::pair<int, int>> pairs;
  for (const auto& key : demoKeys()) {
    EXPECT_TRUE(keyboard->pressKey(key.first, key.second)) << key.name;
    EXPECT_LT(key.first, key.second) << key.name;
    pairs.emplace(key.first, key.second);
  }
  EXPECT_EQ(pairs.size(), demoKeys().size());
}

}  // namespace
}  // namespace tarvex::emu
