// The serial backend against the software adapter served on a pseudo-terminal: the
// handshake, exclusive open, the read timeout, queue counts, purge, waiting without
// spinning, and a device that disappears while the program waits on it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <thread>

#include "emulator/pty/pty_server.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "link/serial/out_queue.h"
#include "link/serial/serial_bus.h"
#include "link/wait_bounds.h"
#include "tests/support/recording_log.h"

namespace tarvex::serial {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

std::chrono::nanoseconds threadCpuTime() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

// Waits (bounded) until the adapter has received `count` bytes of its current open.
bool adapterReceived(const emu::EmulatedAdapter& adapter, std::size_t count) {
  const auto deadline = SteadyClock::now() + 2s;
  while (adapter.lastOpenReceived().size() < count) {
    if (SteadyClock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

class SerialDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.start());
    bus_ = SerialBus::forPath(server_.slavePath());
  }

  std::unique_ptr<FtDevice> openDevice() {
    std::unique_ptr<FtDevice> device;
    EXPECT_EQ(bus_->open(0, &device), FT_OK);
    return device;
  }
  void send(FtDevice& device, Bytes bytes) {
    std::uint32_t written = 0;
    ASSERT_EQ(device.write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &written),
              FT_OK);
    ASSERT_EQ(written, bytes.size());
  }
  std::uint32_t waitFor(FtDevice& device, std::uint32_t count, SteadyClock::duration bound = 2s) {
    std::uint32_t queued = 0;
    EXPECT_EQ(device.waitForQueue(count, SteadyClock::now() + bound, &queued), FT_OK);
    return queued;
  }
  std::uint32_t rxQueue(FtDevice& device) {
    std::uint32_t rx = 0, tx = 0, event = 0;
    EXPECT_EQ(device.getStatus(&rx, &tx, &event), FT_OK);
    return rx;
  }

  std::shared_ptr<emu::EmulatedAdapter> adapter_ =
      std::make_shared<emu::EmulatedAdapter>(emu::tags::v41());
  emu::PtyServer server_{adapter_};
  std::unique_ptr<SerialBus> bus_;
};

TEST_F(SerialDeviceTest, HandshakeAndOutcomeSignalReachTheAdapter) {
  LinkState link(buffer_size::kKb90);
  test::RecordingLog log;
  ASSERT_EQ(OpenAdapterLink(*bus_, link_params::kKb90, link, log), kLinkReady);
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"Number of VCOM ports found on the machine: 1",
                                                   "Communication with programmer installed."}));
  sendOutcome(link, true);
  EXPECT_TRUE(adapterReceived(*adapter_, 2));
  EXPECT_EQ(adapter_->lastOpenReceived(), (Bytes{'B', 'I'}));
  CloseAdapterLink(link);
}

TEST_F(SerialDeviceTest, IteTextIsReadWithinTheHandshakeTimeout) {
  adapter_->setTag(emu::tags::ite());
  LinkState link(buffer_size::kIte);
  test::RecordingLog log;
  // The text is shorter than the 32 bytes asked for: the read ends at its timeout.
  ASSERT_EQ(OpenAdapterLink(*bus_, link_params::kIte, link, log), kLinkReady);
  EXPECT_TRUE(log.contains("FW Version Programmer -> ITE_V2.3"));
  CloseAdapterLink(link);
}

TEST_F(SerialDeviceTest, EveryByteValuePassesUnchangedBothWays) {
  // Line-discipline specials: CR, LF, XON, XOFF, ^C, ^D, ^Z, DEL, NUL, 0xFF.
  const Bytes specials{'\r', '\n', 0x11, 0x13, 0x03, 0x04, 0x1A, 0x7F, 0x00, 0xFF};
  adapter_->setTag(specials);
  auto device = openDevice();
  send(*device, Bytes{'I', '\r', 0x11, 0x13, 0x03, 0x04, 0x00, 0xFF, 'B'});
  ASSERT_EQ(waitFor(*device, specials.size()), specials.size());
  Bytes reply(32);
  std::uint32_t got = 0;
  ASSERT_EQ(device->read(reply.data(), static_cast<std::uint32_t>(specials.size()), &got), FT_OK);
  reply.resize(got);
  EXPECT_EQ(reply, specials);
  EXPECT_EQ(adapter_->lastOpenReceived(),
            (Bytes{'I', '\r', 0x11, 0x13, 0x03, 0x04, 0x00, 0xFF, 'B'}));
}

TEST_F(SerialDeviceTest, OpenIsExclusiveUntilClose) {
  auto first = openDevice();
  std::unique_ptr<FtDevice> second;
  EXPECT_EQ(bus_->open(0, &second), FT_DEVICE_NOT_OPENED);
  EXPECT_EQ(SerialBus::forPath(server_.slavePath())->open(0, &second), FT_DEVICE_NOT_OPENED);
  EXPECT_EQ(first->close(), FT_OK);
  EXPECT_EQ(first->close(), FT_INVALID_HANDLE);
  std::uint32_t rx = 0, tx = 0, event = 0;
  EXPECT_EQ(first->getStatus(&rx, &tx, &event), FT_INVALID_HANDLE);
  EXPECT_EQ(bus_->open(0, &second), FT_OK);
}

TEST_F(SerialDeviceTest, TimedReadReturnsAShortCountAtItsTimeout) {
  auto device = openDevice();
  ASSERT_EQ(device->setTimeouts(300, 300), FT_OK);
  send(*device, Bytes{'B'});
  Bytes buffer(16, 0xEE);
  std::uint32_t got = 0;
  const auto start = SteadyClock::now();
  ASSERT_EQ(device->read(buffer.data(), 8, &got), FT_OK);
  const auto took = SteadyClock::now() - start;
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 3), (Bytes{'V', '4', '1'}));
  EXPECT_EQ(buffer[8], 0xEE);  // nothing past the count asked for
  EXPECT_GE(took, 300ms);
  EXPECT_LT(took, 2s);

  // With 0 the read returns at once with what is queued: here nothing.
  ASSERT_EQ(device->setTimeouts(0, 0), FT_OK);
  const auto again = SteadyClock::now();
  ASSERT_EQ(device->read(buffer.data(), 8, &got), FT_OK);
  EXPECT_EQ(got, 0u);
  EXPECT_LT(SteadyClock::now() - again, 100ms);
}

TEST_F(SerialDeviceTest, QueueCountsAndPurgeCoverBytesAlreadyTakenFromTheKernel) {
  auto device = openDevice();
  send(*device, Bytes{'B'});
  EXPECT_EQ(waitFor(*device, 3), 3u);
  send(*device, Bytes{'B'});
  // Asking for more than comes: the wait ends at its deadline with what is there, and the
  // bytes it moved aside still count as queued and still read in order.
  EXPECT_EQ(waitFor(*device, 7, 200ms), 6u);
  EXPECT_EQ(rxQueue(*device), 6u);
  Bytes buffer(6);
  std::uint32_t got = 0;
  ASSERT_EQ(device->read(buffer.data(), 4, &got), FT_OK);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + got), (Bytes{'V', '4', '1', 'V'}));
  EXPECT_EQ(rxQueue(*device), 2u);

  ASSERT_EQ(device->purge(FT_PURGE_RX | FT_PURGE_TX), FT_OK);
  EXPECT_EQ(rxQueue(*device), 0u);
  ASSERT_EQ(device->read(buffer.data(), 2, &got), FT_OK);
  EXPECT_EQ(got, 0u);
}

TEST_F(SerialDeviceTest, WaitingSleepsUntilTheBytesOrTheDeadline) {
  auto device = openDevice();
  // Three bytes come, a fourth never does: the wait must sleep through the rest of its
  // bound, not keep waking on the three that are there.
  send(*device, Bytes{'B'});
  ASSERT_EQ(waitFor(*device, 3), 3u);
  const auto cpu = threadCpuTime();
  const auto start = SteadyClock::now();
  EXPECT_EQ(waitFor(*device, 4, 400ms), 3u);
  EXPECT_GE(SteadyClock::now() - start, 400ms);
  EXPECT_LT(threadCpuTime() - cpu, 100ms);

  // A slow reply wakes the wait when it comes, long before the bound.
  emu::FaultPlan slow;
  slow.replyDelay = 50ms;
  adapter_->setFaults(slow);
  send(*device, Bytes{'B'});
  const auto replyStart = SteadyClock::now();
  EXPECT_EQ(waitFor(*device, 6, 10s), 6u);
  EXPECT_LT(SteadyClock::now() - replyStart, 2s);
}

// Every call after the device is gone fails at once.
void expectEveryCallFails(FtDevice& device) {
  std::uint8_t byte = 'B';
  std::uint32_t n = 0, tx = 0, event = 0;
  const auto start = SteadyClock::now();
  EXPECT_EQ(device.write(&byte, 1, &n), FT_IO_ERROR);
  EXPECT_EQ(device.read(&byte, 1, &n), FT_IO_ERROR);
  EXPECT_EQ(device.getStatus(&n, &tx, &event), FT_IO_ERROR);
  EXPECT_EQ(device.waitForQueue(1, SteadyClock::now() + 5s, &n), FT_IO_ERROR);
  EXPECT_EQ(device.setBaudRate(kAdapterBaudRate), FT_IO_ERROR);
  EXPECT_EQ(device.setLatencyTimer(2), FT_IO_ERROR);
  EXPECT_LT(SteadyClock::now() - start, 100ms);
  EXPECT_EQ(device.close(), FT_OK);
}

TEST_F(SerialDeviceTest, ServerStoppingMidReadFailsTheReadAndEveryLaterCall) {
  adapter_->setTag({});  // silent: the read would wait its whole timeout
  auto device = openDevice();
  ASSERT_EQ(device->setTimeouts(10'000, 300), FT_OK);
  std::thread stopper([this] {
    std::this_thread::sleep_for(100ms);
    server_.stop();
  });
  Bytes buffer(3);
  std::uint32_t got = 0;
  const auto start = SteadyClock::now();
  EXPECT_EQ(device->read(buffer.data(), 3, &got), FT_IO_ERROR);
  EXPECT_LT(SteadyClock::now() - start, 2s);
  stopper.join();
  expectEveryCallFails(*device);
}

TEST_F(SerialDeviceTest, UnpluggedAdapterFailsAWaitAndEndsThePump) {
  auto device = openDevice();
  std::thread unplugger([this] {
    std::this_thread::sleep_for(100ms);
    adapter_->unplug();
  });
  std::uint32_t queued = 0;
  const auto start = SteadyClock::now();
  EXPECT_EQ(device->waitForQueue(3, SteadyClock::now() + 10s, &queued), FT_IO_ERROR);
  EXPECT_LT(SteadyClock::now() - start, 2s);
  unplugger.join();
  EXPECT_TRUE(server_.waitUntilEnded(2s));
  expectEveryCallFails(*device);
}

TEST_F(SerialDeviceTest, AdapterUnpluggingDuringAReplyFailsTheRead) {
  emu::FaultPlan faults;
  faults.unplugAfterBytes = 2;
  adapter_->setFaults(faults);
  auto device = openDevice();
  ASSERT_EQ(device->setTimeouts(5'000, 300), FT_OK);
  send(*device, Bytes{'B'});
  Bytes buffer(3);
  std::uint32_t got = 0;
  const auto start = SteadyClock::now();
  EXPECT_EQ(device->read(buffer.data(), 3, &got), FT_IO_ERROR);
  EXPECT_LT(SteadyClock::now() - start, 2s);
}

// A pseudo-terminal nobody reads fills up: the write gives up at its timeout and says how
// much went out, rather than blocking.
TEST(SerialWriteTest, WriteToAStalledLineReturnsAtItsTimeout) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  auto bus = SerialBus::forPath(ptsname(master));
  std::unique_ptr<FtDevice> device;
  ASSERT_EQ(bus->open(0, &device), FT_OK);
  ASSERT_EQ(device->setTimeouts(0, 200), FT_OK);
  const Bytes block(1 << 20, 0x55);
  std::uint32_t written = 0;
  const auto start = SteadyClock::now();
  EXPECT_EQ(device->write(block.data(), static_cast<std::uint32_t>(block.size()), &written), FT_OK);
  const auto took = SteadyClock::now() - start;
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, block.size());
  EXPECT_GE(took, 200ms);
  EXPECT_LT(took, 2s);
  // Closing drops what the line could not take instead of waiting for it.
  const auto closing = SteadyClock::now();
  EXPECT_EQ(device->close(), FT_OK);
  EXPECT_LT(SteadyClock::now() - closing, 3s);
  ::close(master);
}

// A line whose output queue holds one byte for the first few queries and then empties, or
// never does.
std::atomic<int> queriesBeforeEmpty{0};
std::atomic<int> outQueueQueries{0};
bool slowLine(int, int* outgoing) {
  ++outQueueQueries;
  *outgoing = queriesBeforeEmpty.fetch_sub(1) > 0 ? 1 : 0;
  return true;
}

TEST(SerialCloseTest, TheLastByteLeavesBeforeTheCloseAndAStalledLineIsDroppedInTime) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  auto bus = SerialBus::forPath(ptsname(master));
  const OutQueueQuery kernel = setOutQueueQuery(&slowLine);
  auto closeAfterOutcome = [&] {
    std::unique_ptr<FtDevice> device;
    EXPECT_EQ(bus->open(0, &device), FT_OK);
    if (!device) return SteadyClock::duration{};
    const std::uint8_t outcome = 'O';
    std::uint32_t written = 0;
    EXPECT_EQ(device->write(&outcome, 1, &written), FT_OK);
    outQueueQueries = 0;
    const auto start = SteadyClock::now();
    EXPECT_EQ(device->close(), FT_OK);
    return SteadyClock::now() - start;
  };
  auto readMaster = [&] {
    Bytes got(16);
    const ssize_t n = ::read(master, got.data(), got.size());
    got.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return got;
  };

  // The queue empties after a few queries: the close waits for it and keeps the byte.
  queriesBeforeEmpty = 5;
  closeAfterOutcome();
  EXPECT_GE(outQueueQueries.load(), 6);
  EXPECT_EQ(readMaster(), Bytes{'O'});

  // A line that never empties holds the close for the send bound, not for ever.
  queriesBeforeEmpty = 1 << 30;
  const auto took = closeAfterOutcome();
  EXPECT_GE(took, bounds::kWrite);
  EXPECT_LT(took, bounds::kWrite + 1s);

  setOutQueueQuery(kernel);
  ::close(master);
}

TEST(SerialPathTest, PathsThatAreNotTtysAreNotOpened) {
  std::unique_ptr<FtDevice> device;
  auto missing = SerialBus::forPath("/nonexistent/ttyUSB0");
  std::uint32_t count = 7;
  EXPECT_EQ(missing->createDeviceInfoList(&count), FT_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(missing->open(0, &device), FT_DEVICE_NOT_FOUND);
  auto notTty = SerialBus::forPath("/dev/null");
  EXPECT_EQ(notTty->createDeviceInfoList(&count), FT_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(notTty->open(0, &device), FT_DEVICE_NOT_OPENED);
  EXPECT_EQ(device, nullptr);
}

}  // namespace
}  // namespace tarvex::serial
