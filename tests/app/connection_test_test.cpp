// The connection test's report, line by line, against the software adapter.

#include "link/connection_test.h"

#include <gtest/gtest.h>

#include "app/testing_window.h"
#include "emulator/emulator_bus.h"
#include "tests/support/recording_log.h"

namespace tarvex {
namespace {

namespace text = connection_test_text;

std::vector<std::string> walk(emu::EmulatorBus& bus) {
  test::RecordingLog log;
  runConnectionTest(bus, log);
  return log.lines();
}

// The lines of one opened device up to and including the read of the reply.
std::vector<std::string> openedDeviceLines(std::uint32_t index, const std::string& version) {
  return {
      "Открыли порт  " + std::to_string(index),
      "Версия драйвера этого порта  " + version,
      "FT_ResetDevice FT_OK",
      "FT_SetBaudRate FT_OK",
      "FT_SetDataCharacteristics FT_OK",
      "FT_SetTimeouts 300/300 FT_OK",
      "FT_Purge FT_OK",
      "FT_Write команда версия устройства FT_OK",
      "Пробуем получить ответ три байта  FT_OK",
  };
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(ConnectionTest, NoDeviceGivesEmptyLineAndNotFoundOnly) {
  emu::EmulatorBus bus;
  EXPECT_EQ(walk(bus), (std::vector<std::string>{"", "VCOM порты не найдены!"}));
}

TEST(ConnectionTest, FailedDeviceListEndsAtOnce) {
  emu::EmulatorBus bus;
  bus.attach();
  bus.setListingFails(true);
  EXPECT_EQ(walk(bus), (std::vector<std::string>{"", "FT_CreateDeviceInfoList != FT_OK"}));
}

TEST(ConnectionTest, SilentDeviceGivesTheWholeWalkThenNobodyAnswered) {
  emu::EmulatorBus bus;
  auto adapter = bus.attach(std::vector<std::uint8_t>{});  // firmware does not answer 'B'
  adapter->setDriverVersion(0x00021200);
  const auto expected = concat(
      concat({"", "Количество найденых VCOM портов на машине: 1"}, openedDeviceLines(0, "21200")),
      {"Не получили ответа в три байта!", "FT_Close FT_OK",
       "Перебрали все порты, нам никто не ответил"});
  EXPECT_EQ(walk(bus), expected);
  EXPECT_EQ(adapter->lastOpenReceived(), (std::vector<std::uint8_t>{'B'}));
  EXPECT_FALSE(adapter->isOpen());
}

TEST(ConnectionTest, RightFirmwareReconfiguresClosesAndStops) {
  emu::EmulatorBus bus;
  auto lower = bus.attach();  // index 0, never reached
  auto upper = bus.attach();  // index 1, tried first
  upper->setDriverVersion(0x5);
  const auto expected = concat(
      concat({"", "Количество найденых VCOM портов на машине: 2"}, openedDeviceLines(1, "05")),
      {"Три байта ответа получено", "Программатор найден, версия ПО верная.",
       "FT_SetTimeouts 0/0 FT_OK", "FT_SetLatencyTimer 2 FT_OK",
       "Порт переконфигурирован. Закрыли порт и вышли."});
  EXPECT_EQ(walk(bus), expected);
  EXPECT_EQ(lower->openCount(), 0u);
  EXPECT_FALSE(upper->isOpen());
}

TEST(ConnectionTest, OtherThreeBytesEndTheTestWithoutTryingTheRest) {
  // The test knows only the 'V','4','1' firmware: the MEC16 one counts as wrong too.
  for (const auto& tag : {emu::tags::v42(), std::vector<std::uint8_t>{'X', 'Y', 'Z'}}) {
    emu::EmulatorBus bus;
    auto lower = bus.attach();
    auto upper = bus.attach(tag);
    const auto lines = walk(bus);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Три байта ответа получено");
    EXPECT_EQ(lines.back(), "Программатор найден, НО версия ПО неверная. Закрыли порт и вышли.");
    EXPECT_EQ(lower->openCount(), 0u);
    EXPECT_FALSE(upper->isOpen());
  }
}

TEST(ConnectionTest, OpenFailureShowsTheOneBasedPositionAndGoesOn) {
  emu::EmulatorBus bus;
  auto good = bus.attach();
  auto held = bus.attach();
  held->setFaults({.refuseOpen = true});
  const auto lines = walk(bus);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2], "Ошибка открытия порта (!= FT_OK) 2");
  EXPECT_EQ(lines[3], "Открыли порт  0");
  EXPECT_EQ(lines.back(), "Порт переконфигурирован. Закрыли порт и вышли.");

  emu::EmulatorBus single;
  single.attach()->setFaults({.refuseOpen = true});
  EXPECT_EQ(walk(single),
            (std::vector<std::string>{"", "Количество найденых VCOM портов на машине: 1",
                                      "Ошибка открытия порта (!= FT_OK) 1",
                                      "Перебрали все порты, нам никто не ответил"}));
}

TEST(ConnectionTest, UnpluggedDeviceReportsEveryFailedCall) {
  emu::EmulatorBus bus;
  auto adapter = bus.attach();
  adapter->setFaults({.unplugAfterBytes = 0});
  test::RecordingLog log;
  runConnectionTest(bus, log);
  const auto lines = log.lines();
  // The cable goes as the request leaves: the read fails, nothing is claimed as found.
  EXPECT_TRUE(log.contains("Не получили ответа в три байта!"));
  EXPECT_FALSE(log.contains(text::kRightFirmware));
  EXPECT_EQ(lines.back(), "Перебрали все порты, нам никто не ответил");
  EXPECT_FALSE(adapter->isOpen());
}

TEST(TestingWindow, SecondPressAppendsAfterAnEmptyLineAndKeepsTheFirst) {
  emu::EmulatorBus bus;
  TTESTING window(bus);
  window.BitBtn1Click();
  const QString first = window.Test_memo->toPlainText();
  EXPECT_EQ(first, QString("\nVCOM порты не найдены!"));
  bus.attach();
  window.BitBtn1Click();
  const QString both = window.Test_memo->toPlainText();
  EXPECT_TRUE(both.startsWith(first + "\n\nКоличество найденых VCOM портов на машине: 1\n"));
  EXPECT_TRUE(both.endsWith("Порт переконфигурирован. Закрыли порт и вышли."));
  EXPECT_FALSE(window.Test_memo->isReadOnly());
}

}  // namespace
}  // namespace tarvex
