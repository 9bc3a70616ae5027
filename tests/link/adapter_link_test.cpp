// Opening the adapter link against the software adapter: the search order, the tag checks
// per tool, the lines logged and the device-layer calls made.

#include <gtest/gtest.h>

#include "emulator/emulator_bus.h"
#include "link/adapter_link.h"
#include "tests/support/recording_log.h"
#include "tests/support/spy_bus.h"

namespace tarvex {
namespace {

using emu::EmulatorBus;
using Lines = std::vector<std::string>;

class AdapterLinkTest : public testing::Test {
 protected:
  int open(const LinkParams& params, std::size_t bufferSize = buffer_size::kKb90) {
    link_ = std::make_unique<LinkState>(bufferSize);
    return OpenAdapterLink(spy_, params, *link_, log_);
  }
  EmulatorBus bus_;
  test::SpyBus spy_{bus_};
  test::RecordingLog log_;
  std::unique_ptr<LinkState> link_;
};

TEST_F(AdapterLinkTest, NoDeviceLogsOneLineAndFindsNothing) {
  EXPECT_EQ(open(link_params::kKb90), kNoAdapter);
  EXPECT_EQ(log_.lines(), Lines{"VCOM port is not found on the machine!"});
  EXPECT_FALSE(link_->isOpen());
}

TEST_F(AdapterLinkTest, FailingDeviceListIsReported) {
  bus_.attach();
  bus_.setListingFails(true);
  EXPECT_EQ(open(link_params::kEdid), kNoAdapter);
  EXPECT_EQ(log_.lines(), Lines{"I can not get a list of VCOM ports"});
}

TEST_F(AdapterLinkTest, SilentHigherIndexIsSkippedAndLowerOneUsed) {
  auto good = bus_.attach(emu::tags::v41());
  auto silent = bus_.attach(std::vector<std::uint8_t>{});
  ASSERT_EQ(open(link_params::kKb90), kLinkReady);
  EXPECT_EQ(log_.lines(), (Lines{"Number of VCOM ports found on the machine: 2",
                                 "Communication with programmer installed."}));
  EXPECT_TRUE(link_->isOpen());
  EXPECT_TRUE(good->isOpen());
  EXPECT_FALSE(silent->isOpen());
  EXPECT_EQ(silent->lastOpenReceived(), std::vector<std::uint8_t>{'B'});
  EXPECT_EQ(good->lastOpenReceived(), std::vector<std::uint8_t>{'B'});
  EXPECT_EQ(link_->deviceCount, 0u);
  CloseAdapterLink(*link_);
  EXPECT_FALSE(good->isOpen());
}

TEST_F(AdapterLinkTest, WrongTagEndsTheSearchAtOnceWithTheLinkClosed) {
  auto lower = bus_.attach(emu::tags::v41());
  auto higher = bus_.attach(emu::tags::v41());
  EXPECT_EQ(open(link_params::kMec16), kWrongFirmware);
  EXPECT_EQ(log_.lines(), (Lines{"Number of VCOM ports found on the machine: 2",
                                 "It is necessary to update the firmware programmer!"}));
  EXPECT_FALSE(link_->isOpen());
  EXPECT_FALSE(higher->isOpen());
  EXPECT_EQ(lower->openCount(), 0u);
}

TEST_F(AdapterLinkTest, BytesAfterTheTagAreARefusalNotALeftoverForTheFirstReply) {
  // Left queued, the line end would be taken as the start of the tool's first reply.
  auto lower = bus_.attach(emu::tags::v41());
  auto crlf = bus_.attach(emu::tags::v41());
  crlf->setFaults({.tagLineEnd = true});
  EXPECT_EQ(open(link_params::kKb90), kWrongFirmware);
  EXPECT_EQ(log_.lines(), (Lines{"Number of VCOM ports found on the machine: 2",
                                 "It is necessary to update the firmware programmer!"}));
  EXPECT_FALSE(link_->isOpen());
  EXPECT_FALSE(crlf->isOpen());
  EXPECT_EQ(crlf->lastOpenReceived(), std::vector<std::uint8_t>{'B'});
  EXPECT_EQ(lower->openCount(), 0u);

  // The same for the ITE firmware's text: anything past the 32 bytes taken is refused.
  std::vector<std::uint8_t> longText(40, '_');
  longText[0] = 'I', longText[1] = 'T', longText[2] = 'E';
  bus_.attach(longText);
  log_.clear();
  EXPECT_EQ(open(link_params::kIte), kWrongFirmware);
  EXPECT_TRUE(log_.contains("It is necessary to update the firmware programmer!"));
}

TEST_F(AdapterLinkTest, DeviceThatFailsToOpenIsSkippedWithoutALine) {
  bus_.attach(emu::tags::v42());
  auto busy = bus_.attach(emu::tags::v42());
  busy->setFaults({.refuseOpen = true});
  EXPECT_EQ(open(link_params::kMec16), kLinkReady);
  EXPECT_EQ(log_.lines(), (Lines{"Number of VCOM ports found on the machine: 2",
                                 "Communication with programmer installed."}));
  EXPECT_EQ(spy_.calls().front(), "open 1 failed");
}

TEST_F(AdapterLinkTest, NotFoundLineDiffersBetweenTools) {
  bus_.attach(std::vector<std::uint8_t>{});
  EXPECT_EQ(open(link_params::kEdid), kNoAdapter);
  EXPECT_EQ(log_.lines().back(), "-->  The programmer is not found or does not respond");
  log_.clear();
  EXPECT_EQ(open(link_params::kKb90), kNoAdapter);
  EXPECT_EQ(log_.lines().back(), "The programmer is not found or does not respond");
}

TEST_F(AdapterLinkTest, ShortTagCountsAsSilence) {
  auto adapter = bus_.attach(emu::tags::v41());
  adapter->setFaults({.stopAfterBytes = 2});
  EXPECT_EQ(open(link_params::kKb90), kNoAdapter);
  EXPECT_FALSE(adapter->isOpen());
}

TEST_F(AdapterLinkTest, IteTextShowsSpacesForUnprintableBytesAndStillPasses) {
  bus_.attach(std::vector<std::uint8_t>{0x01, 'I', 'T', 'E', 0xFF, 'v', '2', '-', '1'});
  ASSERT_EQ(open(link_params::kIte, buffer_size::kIte), kLinkReady);
  EXPECT_EQ(log_.lines(), (Lines{"Number of VCOM ports found on the machine: 1",
                                 "FW Version Programmer ->  ITE v2 1",
                                 "Communication with programmer installed."}));
  const auto calls = spy_.calls();
  // The ITE link keeps its 300 ms timeouts and reads up to 32 bytes of text.
  EXPECT_EQ(calls, (Lines{"open 0", "reset", "baud 921600", "data 8 0 0", "timeouts 300 300",
                          "write 1", "read 32", "latency 2"}));
}

TEST_F(AdapterLinkTest, IteTextWithoutIteAsksForAnUpdate) {
  auto adapter = bus_.attach(emu::tags::v41());
  EXPECT_EQ(open(link_params::kIte, buffer_size::kIte), kWrongFirmware);
  EXPECT_EQ(log_.lines(), (Lines{"Number of VCOM ports found on the machine: 1",
                                 "FW Version Programmer -> V41",
                                 "It is necessary to update the firmware programmer!"}));
  EXPECT_FALSE(adapter->isOpen());
}

TEST_F(AdapterLinkTest, LatencyIsSetBeforeTheHandshakeOnlyWhereTheToolAsks) {
  bus_.attach(emu::tags::v41());
  ASSERT_EQ(open(link_params::kEdid, buffer_size::kEdid), kLinkReady);
  EXPECT_EQ(spy_.calls(), (Lines{"open 0", "reset", "baud 921600", "data 8 0 0", "latency 2",
                                 "timeouts 300 300", "write 1", "read 3", "timeouts 0 0",
                                 "latency 2"}));
  CloseAdapterLink(*link_);

  test::SpyBus spy2{bus_};
  LinkState kb90(buffer_size::kKb90);
  ASSERT_EQ(OpenAdapterLink(spy2, link_params::kKb90, kb90, log_), kLinkReady);
  EXPECT_EQ(spy2.calls(), (Lines{"open 0", "reset", "baud 921600", "data 8 0 0",
                                 "timeouts 300 300", "write 1", "read 3", "timeouts 0 0",
                                 "latency 2"}));
}

TEST_F(AdapterLinkTest, KeyboardTesterLogsEveryConfigurationStepInOrder) {
  bus_.attach(std::vector<std::uint8_t>{});
  bus_.attach(emu::tags::v41());
  ASSERT_EQ(open(link_params::kKeyboard, buffer_size::kKeyboard), kLinkReady);
  EXPECT_EQ(log_.lines(), (Lines{"Number of VCOM ports found on the machine: 2",
                                 "COM порт сброшен.",
                                 "Установлена скорость 921600 bps.",
                                 "Произведена настройка формата передачи данных.",
                                 "Произведена настройка таймаутов.",
                                 "Произведена настройка LatencyTimer.",
                                 "Настроили порт 1",
                                 "Communication with programmer installed."}));
}

TEST_F(AdapterLinkTest, ReopeningWorksAfterClose) {
  auto adapter = bus_.attach(emu::tags::v41());
  ASSERT_EQ(open(link_params::kKb90), kLinkReady);
  CloseAdapterLink(*link_);
  CloseAdapterLink(*link_);  // a second close on the way out is harmless
  ASSERT_EQ(open(link_params::kKb90), kLinkReady);
  EXPECT_EQ(adapter->openCount(), 2u);
}

}  // namespace
}  // namespace tarvex
