// Register access through the MEC16 firmware: request encoding, replies and their loss.

#include <gtest/gtest.h>

#include "link/adapter_link.h"
#include "tests/mec16/mec16_fixture.h"
#include "tests/support/recording_log.h"
#include "tools/mec16/mec16_registers.h"

namespace tarvex::mec16::test {
namespace {

using emu::RegisterFault;

class Mec16RegisterTest : public Mec16Test {
 protected:
  void SetUp() override {
    Mec16Test::SetUp();
    ASSERT_EQ(OpenAdapterLink(bus_, link_params::kMec16, link_, log_), kLinkReady);
    ASSERT_TRUE(MecReadId(link_, log_, 300ms));  // attaches the target
  }
  void TearDown() override {
    CloseAdapterLink(link_);
    Mec16Test::TearDown();
  }

  LinkState link_{buffer_size::kMec16};
  tarvex::test::RecordingLog log_;
};

TEST(Mec16ValueText, ShowsFourBytesAsTwoHexPairsAndH) {
  const std::uint8_t bytes[] = {0x00, 0x00, 0x01, 0x05};
  EXPECT_EQ(valueText(bytes), "0000 0105h");
  const std::uint8_t high[] = {0xAB, 0xCD, 0xEF, 0x0A};
  EXPECT_EQ(valueText(high), "ABCD EF0Ah");
}

TEST_F(Mec16RegisterTest, ReadSendsUpperCaseAddressAndShowsTheValue) {
  chip_->setRevision(0x00000105);
  EXPECT_EQ(MecReadRegister(link_, 0xFFFD00, 300ms), "0000 0105h");
  chip_->setStatusBits(0x18);
  EXPECT_EQ(MecReadRegister(link_, 0xFF390C, 300ms), "0000 0018h");
  EXPECT_EQ(link_.buffer[3], 0x18);  // the status byte stays for the protection decoding
  EXPECT_EQ(sent(), "B1j" + rd("FFFD00") + rd("FF390C"));
}

TEST_F(Mec16RegisterTest, WriteSendsEightValueDigitsAndChecksTheAcknowledgement) {
  EXPECT_EQ(MecWriteRegister(link_, 0xFF3908, 0x100, 300ms), "MEC_OK");
  EXPECT_EQ(chip_->registerValue(0xFF3908), 0x100u);
  EXPECT_EQ(sent(), "B1j" + wr("FF3908", "00000100"));

  chip_->setFaults({.registers = {{.access = 'w', .address = 0xFF3910,
                                   .effect = RegisterFault::Effect::kRefused}}});
  EXPECT_EQ(MecWriteRegister(link_, 0xFF3910, 1, 300ms), "MEC_lost");
}

TEST_F(Mec16RegisterTest, AMissingOrShortReplyIsLostAndDoesNotSpillIntoTheNext) {
  chip_->setFaults({.registers = {
      {.access = 'r', .address = 0xFF3908, .effect = RegisterFault::Effect::kShortReply},
      {.access = 'w', .address = 0xFF3910, .effect = RegisterFault::Effect::kNoReply}}});
  EXPECT_EQ(MecReadRegister(link_, 0xFF3908, 300ms), "MEC_lost");
  EXPECT_EQ(MecWriteRegister(link_, 0xFF3910, 1, 300ms), "MEC_lost");
  // The half reply was taken with the lost read: the next read gets its own answer.
  chip_->setRevision(0x12345678);
  EXPECT_EQ(MecReadRegister(link_, 0xFFFD00, 300ms), "1234 5678h");
}

TEST_F(Mec16RegisterTest, AShortIdIsReportedAndTheIdShownAsItStands) {
  chip_->setId({0x01, 0x02, 0x03, 0x04});
  log_.clear();
  ASSERT_TRUE(MecReadId(link_, log_, 300ms));
  EXPECT_EQ(log_.lines(), (std::vector<std::string>{"Получен ID от MEC16 -> 0102 0304h"}));

  adapter_->setFaults({.silent = true});
  log_.clear();
  EXPECT_FALSE(MecReadId(link_, log_, 50ms));
  ASSERT_EQ(log_.lines().size(), 2u);
  EXPECT_EQ(log_.lines()[0], "ID готово 4 байта но сняли меньше ОШИБКА");
  EXPECT_EQ(log_.lines()[1].rfind("Получен ID от MEC16 -> ", 0), 0u);
}

}  // namespace
}  // namespace tarvex::mec16::test
