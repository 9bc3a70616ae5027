// Bounded waits and buffer-safe reads on an open link.

#include <gtest/gtest.h>

#include <chrono>

#include "emulator/emulator_bus.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "tests/support/recording_log.h"

namespace tarvex {
namespace {

using namespace std::chrono_literals;

// A chip model that answers '?' with the given reply.
class EchoHandler : public emu::CommandHandler {
 public:
  explicit EchoHandler(std::vector<std::uint8_t> reply) : reply_(std::move(reply)) {}
  bool handles(std::uint8_t c) const override { return c == '?'; }
  void handle(std::uint8_t, emu::FirmwarePort& port) override { port.send(reply_); }

 private:
  std::vector<std::uint8_t> reply_;
};

class LinkIoTest : public testing::Test {
 protected:
  void SetUp() override {
    adapter_ = bus_.attach(emu::tags::v41());
    adapter_->addHandler(std::make_shared<EchoHandler>(std::vector<std::uint8_t>(10, 0x5A)));
    ASSERT_EQ(OpenAdapterLink(bus_, link_params::kKb90, link_, log_), kLinkReady);
  }
  emu::EmulatorBus bus_;
  std::shared_ptr<emu::EmulatedAdapter> adapter_;
  test::RecordingLog log_;
  LinkState link_{16};
};

TEST_F(LinkIoTest, ReceivesAWholeReplyIntoTheBuffer) {
  ASSERT_TRUE(sendByte(link_, '?'));
  ASSERT_EQ(receive(link_, 2, 10, 1s), WaitResult::kReady);
  EXPECT_EQ(link_.buffer[2], 0x5A);
  EXPECT_EQ(link_.buffer[11], 0x5A);
  EXPECT_EQ(link_.buffer[12], 0);
}

TEST_F(LinkIoTest, RefusesAReadThatWouldPassTheBufferEnd) {
  ASSERT_TRUE(sendByte(link_, '?'));
  ASSERT_EQ(waitForBytes(link_, 10, 1s), WaitResult::kReady);
  EXPECT_FALSE(readIntoBuffer(link_, 7, 10));
  EXPECT_FALSE(readIntoBuffer(link_, 17, 0));
  EXPECT_TRUE(readIntoBuffer(link_, 6, 10));
}

TEST_F(LinkIoTest, AWaitForMoreThanComesEndsAtTheBound) {
  ASSERT_TRUE(sendByte(link_, '?'));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(waitForBytes(link_, 11, 50ms), WaitResult::kTimedOut);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
  EXPECT_EQ(link_.queue.rx, 10u);
}

TEST_F(LinkIoTest, UnplugEndsAWaitAtOnceAndFailsLaterCalls) {
  std::thread puller([&] {
    std::this_thread::sleep_for(20ms);
    adapter_->unplug();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(waitForBytes(link_, 1, 10s), WaitResult::kFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  puller.join();
  EXPECT_FALSE(sendByte(link_, '?'));
  sendOutcome(link_, false);  // harmless on a dead link
  CloseAdapterLink(link_);
  EXPECT_FALSE(link_.isOpen());
}

TEST_F(LinkIoTest, OutcomeSignalsReachTheAdapter) {
  sendOutcome(link_, true);
  sendOutcome(link_, false);
  CloseAdapterLink(link_);
  EXPECT_EQ(adapter_->lastOpenReceived(), (std::vector<std::uint8_t>{'B', 'I', 'O'}));
}

TEST_F(LinkIoTest, OversizedSendsAreRefusedWholeAndStrayBytesAreSeen) {
  // A send that would read past the buffer goes out not at all, not in part.
  EXPECT_FALSE(sendFromBuffer(link_, 7, 10));
  EXPECT_FALSE(sendFromBuffer(link_, 17, 0));
  EXPECT_EQ(adapter_->lastOpenReceived(), (std::vector<std::uint8_t>{'B'}));
  link_.buffer[6] = '?';
  EXPECT_TRUE(sendFromBuffer(link_, 6, 1));

  // A reply taken whole with nothing behind it.
  ASSERT_EQ(receive(link_, 0, 10, 1s), WaitResult::kReady);
  EXPECT_EQ(leftoverAfter(link_, 10), Leftover::kNone);
  EXPECT_EQ(leftoverWithin(link_, 10ms), Leftover::kNone);

  // A byte queued with the reply, and one that comes a little after it.
  adapter_->setFaults({.strayByteAfter = 3 + 10 + 4});
  ASSERT_TRUE(sendByte(link_, '?'));
  ASSERT_EQ(receive(link_, 0, 10, 1s), WaitResult::kReady);
  EXPECT_EQ(leftoverAfter(link_, 10), Leftover::kStray);
  CloseAdapterLink(link_);
  adapter_->setFaults({.strayByteAfter = 3 + 9, .strayDelay = 5ms});
  ASSERT_EQ(OpenAdapterLink(bus_, link_params::kKb90, link_, log_), kLinkReady);
  ASSERT_TRUE(sendByte(link_, '?'));
  ASSERT_EQ(receive(link_, 0, 10, 1s), WaitResult::kReady);
  EXPECT_EQ(leftoverAfter(link_, 10), Leftover::kNone);
  EXPECT_EQ(leftoverWithin(link_, 1s), Leftover::kStray);

  CloseAdapterLink(link_);
  EXPECT_EQ(leftoverAfter(link_, 0), Leftover::kFailed);
  EXPECT_EQ(leftoverWithin(link_, 1ms), Leftover::kFailed);
}

TEST(LinkIoClosed, EveryCallOnAClosedLinkFails) {
  LinkState link(8);
  EXPECT_FALSE(sendByte(link, 'x'));
  EXPECT_EQ(waitForBytes(link, 1, 1s), WaitResult::kFailed);
  EXPECT_FALSE(readIntoBuffer(link, 0, 1));
}

}  // namespace
}  // namespace tarvex
