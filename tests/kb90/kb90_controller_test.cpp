// The emulated controller on its own: what it answers, independent of the tool.

#include <gtest/gtest.h>

#include "emulator/emulator_bus.h"
#include "emulator/kb90/demo_kb90.h"
#include "emulator/kb90/kb90_controller.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "tests/support/recording_log.h"

namespace tarvex::emu {
namespace {

using namespace std::chrono_literals;

class Kb90ControllerTest : public testing::Test {
 protected:
  void SetUp() override {
    adapter_ = bus_.attach(tags::v41());
    adapter_->addHandler(controller_);
    ASSERT_EQ(OpenAdapterLink(bus_, link_params::kKb90, link_, log_), kLinkReady);
  }
  void TearDown() override { CloseAdapterLink(link_); }

  EmulatorBus bus_;
  std::shared_ptr<EmulatedAdapter> adapter_;
  std::shared_ptr<Kb90Controller> controller_ = std::make_shared<Kb90Controller>(0x21);
  test::RecordingLog log_;
  LinkState link_{300};
};

TEST_F(Kb90ControllerTest, ChecksumOfTheErasedFlash) {
  ASSERT_TRUE(sendByte(link_, 'S'));
  ASSERT_EQ(receive(link_, 0, 256, 1s), WaitResult::kReady);
  ASSERT_EQ(receive(link_, 0, 256, 1s), WaitResult::kReady);
  EXPECT_EQ(link_.buffer[255], '-');
  ASSERT_EQ(receive(link_, 0, 4, 1s), WaitResult::kReady);
  EXPECT_EQ(link_.buffer[0], 0x00);  // sum 0000h
  EXPECT_EQ(link_.buffer[1], 0x00);
  EXPECT_EQ(link_.buffer[2], 0x01);  // CRC 9401h, low byte first
  EXPECT_EQ(link_.buffer[3], 0x94);
}

TEST_F(Kb90ControllerTest, ReadStreamEndsAfterTheLastBlock) {
  ASSERT_TRUE(sendByte(link_, 'V'));
  ASSERT_EQ(receive(link_, 0, 1, 1s), WaitResult::kReady);
  EXPECT_EQ(link_.buffer[0], 0x21);
  ASSERT_TRUE(sendByte(link_, 'R'));
  for (int block = 1; block < 512; ++block) {
    ASSERT_EQ(receive(link_, 0, 256, 1s), WaitResult::kReady);
    ASSERT_TRUE(sendByte(link_, 'N'));
  }
  ASSERT_EQ(receive(link_, 0, 256, 1s), WaitResult::kReady);
  // One 'N' too many gets nothing: the flash has no 513th block.
  ASSERT_TRUE(sendByte(link_, 'N'));
  EXPECT_EQ(waitForBytes(link_, 1, 50ms), WaitResult::kTimedOut);
  EXPECT_EQ(controller_->blocksRead(), 512);
}

TEST(Kb90DemoLaptop, HoldsAPlausibleImage) {
  const auto flash = demoKb90Flash();
  ASSERT_EQ(flash.size(), 131072u);
  EXPECT_EQ(flash[0], 0x02);  // a jump at the reset vector
  EXPECT_EQ(flash.back(), 0xFF);  // an erased tail
  EXPECT_EQ(kb90DemoLaptop().size(), 1u);
}

}  // namespace
}  // namespace tarvex::emu
