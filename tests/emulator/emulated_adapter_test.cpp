// The software adapter's own behaviour: byte logs per open, exclusive open, and the faults
// it injects, driven through the device layer as the program drives it.

#include <gtest/gtest.h>

#include <bit>
#include <chrono>

#include "emulator/emulator_bus.h"

namespace tarvex::emu {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Answers 'q' with 8 bytes 0..7.
class CountingHandler : public CommandHandler {
 public:
  bool handles(std::uint8_t c) const override { return c == 'q'; }
  void handle(std::uint8_t, FirmwarePort& port) override {
    port.send(Bytes{0, 1, 2, 3, 4, 5, 6, 7});
  }
};

class EmulatedAdapterTest : public testing::Test {
 protected:
  void SetUp() override { adapter_->addHandler(std::make_shared<CountingHandler>()); }

  std::unique_ptr<FtDevice> openFirst() {
    std::unique_ptr<FtDevice> dev;
    EXPECT_EQ(bus_.open(0, &dev), FT_OK);
    return dev;
  }
  Bytes exchange(FtDevice& dev, Bytes request, std::uint32_t replyLength) {
    std::uint32_t n = 0;
    EXPECT_EQ(dev.write(request.data(), request.size(), &n), FT_OK);
    std::uint32_t queued = 0;
    dev.waitForQueue(replyLength, SteadyClock::now() + 500ms, &queued);
    Bytes reply(replyLength);
    dev.read(reply.data(), replyLength, &n);
    reply.resize(n);
    return reply;
  }

  EmulatorBus bus_;
  std::shared_ptr<EmulatedAdapter> adapter_ = bus_.attach(tags::v41());
};

TEST_F(EmulatedAdapterTest, AnswersTheTagAndRecordsEveryByteOfEachOpen) {
  auto dev = openFirst();
  EXPECT_EQ(exchange(*dev, {'B'}, 3), (Bytes{'V', '4', '1'}));
  EXPECT_EQ(exchange(*dev, {'q', 'I'}, 8), (Bytes{0, 1, 2, 3, 4, 5, 6, 7}));
  dev->close();
  dev = openFirst();
  exchange(*dev, {'O'}, 0);
  dev->close();
  EXPECT_EQ(adapter_->receivedPerOpen(), (std::vector<Bytes>{{'B', 'q', 'I'}, {'O'}}));
}

TEST_F(EmulatedAdapterTest, OpenIsExclusiveUntilClose) {
  auto dev = openFirst();
  std::unique_ptr<FtDevice> second;
  EXPECT_NE(bus_.open(0, &second), FT_OK);
  dev->close();
  EXPECT_EQ(bus_.open(0, &second), FT_OK);
}

TEST_F(EmulatedAdapterTest, RefusedOpenAndOutOfRangeIndexFail) {
  adapter_->setFaults({.refuseOpen = true});
  std::unique_ptr<FtDevice> dev;
  EXPECT_NE(bus_.open(0, &dev), FT_OK);
  EXPECT_NE(bus_.open(1, &dev), FT_OK);
  EXPECT_EQ(dev, nullptr);
}

TEST_F(EmulatedAdapterTest, SilenceStopAndCorruptionShapeTheReplies) {
  auto dev = openFirst();
  adapter_->setFaults({.silent = true});
  EXPECT_EQ(exchange(*dev, {'B'}, 3), Bytes{});
  adapter_->setFaults({.stopAfterBytes = 5});
  EXPECT_EQ(exchange(*dev, {'q'}, 8), (Bytes{0, 1, 2, 3, 4}));
  dev->close();

  dev = openFirst();  // counts restart with each open
  adapter_->setFaults({.corruptByteAt = 4, .corruptMask = 0x80});
  EXPECT_EQ(exchange(*dev, {'B'}, 3), (Bytes{'V', '4', '1'}));
  EXPECT_EQ(exchange(*dev, {'q'}, 8), (Bytes{0, 0x81, 2, 3, 4, 5, 6, 7}));
}

// A flaky contact damages one open's replies and no other, the same way for the same seed.
TEST_F(EmulatedAdapterTest, AFlakyContactDamagesOneOpenAndNotTheNext) {
  const Bytes whole{0, 1, 2, 3, 4, 5, 6, 7};
  auto readOnce = [&] {
    auto dev = openFirst();
    exchange(*dev, {'B'}, 3);
    Bytes reply = exchange(*dev, {'q'}, 8);
    dev->close();
    return reply;
  };
  // Bits flipped among the 'q' reply (bytes 3..10 of the open, after the tag).
  adapter_->setFaults({.flaky = FlakyContact{.open = 1, .seed = 5, .from = 3, .span = 8}});
  EXPECT_EQ(readOnce(), whole);
  const Bytes damaged = readOnce();
  EXPECT_EQ(readOnce(), whole);
  ASSERT_EQ(damaged.size(), whole.size());
  int flipped = 0;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    const int bits = std::popcount(static_cast<unsigned>(damaged[i] ^ whole[i]));
    EXPECT_LE(bits, 1) << "byte " << i;
    flipped += bits;
  }
  EXPECT_EQ(flipped, 3);
  // Setting the plan again counts the opens from it anew, and the seed decides the places.
  adapter_->setFaults({.flaky = FlakyContact{.open = 0, .seed = 5, .from = 3, .span = 8}});
  EXPECT_EQ(readOnce(), damaged);

  // A shifted block: three bytes from byte 5 of the open come one place late.
  adapter_->setFaults({.flaky = FlakyContact{.from = 5, .span = 1, .shiftedBlock = 3}});
  EXPECT_EQ(readOnce(), (Bytes{0, 1, 1, 2, 3, 5, 6, 7}));
  EXPECT_EQ(readOnce(), whole);
}

TEST_F(EmulatedAdapterTest, UnplugFailsEveryCallAndLeavesTheList) {
  auto dev = openFirst();
  adapter_->unplug();
  std::uint32_t n = 0, q = 0;
  std::uint8_t b = 'B';
  EXPECT_NE(dev->write(&b, 1, &n), FT_OK);
  EXPECT_NE(dev->read(&b, 1, &n), FT_OK);
  EXPECT_NE(dev->waitForQueue(1, SteadyClock::now() + 10s, &q), FT_OK);
  std::uint32_t count = 9;
  EXPECT_EQ(bus_.createDeviceInfoList(&count), FT_OK);
  EXPECT_EQ(count, 0u);
  dev->close();
  adapter_->plugIn();
  EXPECT_EQ(bus_.createDeviceInfoList(&count), FT_OK);
  EXPECT_EQ(count, 1u);
}

TEST_F(EmulatedAdapterTest, UnplugAfterKBytesCutsAReplyShort) {
  auto dev = openFirst();
  adapter_->setFaults({.unplugAfterBytes = 6});
  exchange(*dev, {'B'}, 3);
  std::uint32_t n = 0, q = 0;
  std::uint8_t b = 'q';
  dev->write(&b, 1, &n);
  EXPECT_NE(dev->waitForQueue(8, SteadyClock::now() + 10s, &q), FT_OK);
  EXPECT_FALSE(adapter_->plugged());
}

TEST_F(EmulatedAdapterTest, TimedReadReturnsWhatCameWhenTheTimeoutRunsOut) {
  auto dev = openFirst();
  dev->setTimeouts(100, 100);
  std::uint8_t b = 'B';
  std::uint32_t n = 0;
  dev->write(&b, 1, &n);
  std::uint8_t reply[32] = {};
  const auto start = SteadyClock::now();
  EXPECT_EQ(dev->read(reply, sizeof reply, &n), FT_OK);
  EXPECT_EQ(n, 3u);
  EXPECT_GE(SteadyClock::now() - start, 100ms);
}

TEST_F(EmulatedAdapterTest, PurgeEmptiesTheReceiveQueue) {
  auto dev = openFirst();
  std::uint8_t b = 'q';
  std::uint32_t n = 0, q = 0;
  dev->write(&b, 1, &n);
  dev->waitForQueue(8, SteadyClock::now() + 1s, &q);
  ASSERT_EQ(q, 8u);
  EXPECT_EQ(dev->purge(FT_PURGE_RX | FT_PURGE_TX), FT_OK);
  std::uint32_t tx = 0, ev = 0;
  dev->getStatus(&q, &tx, &ev);
  EXPECT_EQ(q, 0u);
}

TEST_F(EmulatedAdapterTest, WrongBaudRateGetsNoAnswer) {
  auto dev = openFirst();
  dev->setBaudRate(115200);
  EXPECT_EQ(exchange(*dev, {'B'}, 3), Bytes{});
}

TEST_F(EmulatedAdapterTest, ReactionTimeIsMeasuredFromReplyToNextRequest) {
  auto dev = openFirst();
  exchange(*dev, {'B'}, 3);
  std::this_thread::sleep_for(5ms);
  exchange(*dev, {'q'}, 8);
  const auto reactions = adapter_->reactionTimes();
  ASSERT_EQ(reactions.size(), 1u);
  EXPECT_GE(reactions[0], 5ms);
}

TEST_F(EmulatedAdapterTest, WireModelDelaysAShortReplyByTheLatencyTimer) {
  adapter_->setWireModel({.enabled = true});
  auto dev = openFirst();
  dev->setLatencyTimer(16);
  const auto start = SteadyClock::now();
  EXPECT_EQ(exchange(*dev, {'B'}, 3), (Bytes{'V', '4', '1'}));
  EXPECT_GE(SteadyClock::now() - start, 16ms);
}

}  // namespace
}  // namespace tarvex::emu
