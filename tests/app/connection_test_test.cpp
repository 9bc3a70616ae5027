// The connection test's report, line by line, against the software adapter.

#include "link/connection_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "app/testing_window.h"
#include "emulator/emulator_bus.h"
#include "link/link_quality.h"
#include "tests/app/qt_test_app.h"
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

namespace quality = link_quality_text;
using namespace std::chrono_literals;

bool hasLineStartingWith(const std::vector<std::string>& lines, const std::string& start) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

TEST(LinkQualityTest, ASoundLinkPassesEveryHandshakeEachExactlyTheDocumentedOne) {
  emu::EmulatorBus bus;
  auto adapter = bus.attach();
  test::RecordingLog log;
  EXPECT_TRUE(runLinkQualityTest(bus, log, 5));
  const auto lines = log.lines();
  // The connection test's own report first, as without the repeats.
  EXPECT_EQ(lines[1], "Количество найденых VCOM портов на машине: 1");
  EXPECT_TRUE(log.contains("Порт переконфигурирован. Закрыли порт и вышли."));
  EXPECT_TRUE(log.contains("Проверка качества связи: рукопожатий 5"));
  EXPECT_TRUE(log.contains("Рукопожатий: 5, неудачных: 0"));
  EXPECT_TRUE(hasLineStartingWith(lines, "Время ответа, мс: минимум "));
  EXPECT_EQ(lines.back(), quality::kSound);
  // Five opens, each with nothing but the request for the tag, each closed again.
  EXPECT_EQ(adapter->receivedPerOpen(),
            std::vector<std::vector<std::uint8_t>>(5, std::vector<std::uint8_t>{'B'}));
  EXPECT_FALSE(adapter->isOpen());

  // Counts outside 1..10000 are refused before any device is touched.
  for (int refused : {0, -1, kMaxRepeats + 1}) {
    emu::EmulatorBus other;
    auto untouched = other.attach();
    test::RecordingLog quiet;
    EXPECT_FALSE(runLinkQualityTest(other, quiet, refused));
    EXPECT_EQ(untouched->openCount(), 0u);
  }
}

TEST(LinkQualityTest, EachFaultIsCountedNamedAndFailsTheTest) {
  {  // The third handshake gets no answer.
    emu::EmulatorBus bus;
    bus.attach()->setFaults({.silentOnOpen = 3});
    test::RecordingLog log;
    EXPECT_FALSE(runLinkQualityTest(bus, log, 5));
    EXPECT_TRUE(log.contains("Рукопожатие 3: нет ответа в три байта"));
    EXPECT_TRUE(log.contains("Рукопожатий: 5, неудачных: 1"));
    EXPECT_TRUE(log.contains(std::string(quality::kLost) + "1"));
    EXPECT_FALSE(log.contains(quality::kSound));
  }
  {  // Another firmware answers every time: not the line's fault, and said so.
    emu::EmulatorBus bus;
    bus.attach(emu::tags::v42());
    test::RecordingLog log;
    EXPECT_FALSE(runLinkQualityTest(bus, log, 3));
    EXPECT_TRUE(log.contains("Рукопожатие 2: неверная версия ПО 56 34 32"));
    EXPECT_TRUE(log.contains("Рукопожатий: 3, неудачных: 3"));
    EXPECT_TRUE(log.contains(quality::kOtherFirmware));
    EXPECT_FALSE(log.contains(quality::kSound));
  }
  {  // Every answer held up far past what the line gives.
    emu::EmulatorBus bus;
    bus.attach()->setFaults({.replyDelay = 40ms});
    test::RecordingLog log;
    EXPECT_FALSE(runLinkQualityTest(bus, log, 3));
    EXPECT_TRUE(log.contains("Рукопожатий: 3, неудачных: 0"));
    EXPECT_TRUE(log.contains(quality::kSlow));
    EXPECT_FALSE(log.contains(quality::kSound));
  }
  {  // Nobody answers: no repeats, and nothing claimed.
    emu::EmulatorBus bus;
    bus.attach(std::vector<std::uint8_t>{});
    test::RecordingLog log;
    EXPECT_FALSE(runLinkQualityTest(bus, log, 3));
    EXPECT_EQ(log.lines().back(), quality::kNotRun);
  }
  {  // Stopped after the first: not a pass, however well that one went.
    emu::EmulatorBus bus;
    auto adapter = bus.attach();
    const std::atomic<bool> stop{true};
    test::RecordingLog log;
    EXPECT_FALSE(runLinkQualityTest(bus, log, 5, &stop));
    EXPECT_TRUE(log.contains("Проверка остановлена после рукопожатия 1 из 5"));
    EXPECT_EQ(log.lines().back(), quality::kUnfinished);
    EXPECT_EQ(adapter->openCount(), 1u);
  }
}

TEST(LinkQualityTest, TheVerdictTellsAGarbledLineFromAnotherFirmware) {
  LinkQuality garbled{.asked = 5, .run = 5, .lost = 0, .wrongTag = 1,
                      .answerTimes = std::vector<std::chrono::steady_clock::duration>(5, 1ms)};
  test::RecordingLog log;
  EXPECT_FALSE(reportLinkQuality(garbled, log));
  EXPECT_TRUE(log.contains(std::string(quality::kGarbled) + "1"));
  EXPECT_FALSE(log.contains(quality::kOtherFirmware));
  // The median decides slowness: one answer held up by a busy host does not.
  LinkQuality oneSlow{.asked = 3, .run = 3, .answerTimes = {1ms, 1ms, 500ms}};
  log.clear();
  EXPECT_TRUE(reportLinkQuality(oneSlow, log));
  EXPECT_EQ(log.lines().back(), quality::kSound);
  EXPECT_EQ(log.lines()[1], "Время ответа, мс: минимум 1.00, медиана 1.00, максимум 500.00 "
                            "(линия даёт не больше 23.04)");
}

TEST(TestingWindow, RepeatRunsOffTheWindowsThreadAndCanBeStopped) {
  emu::EmulatorBus bus;
  auto adapter = bus.attach();
  TTESTING window(bus);
  window.show();
  // The button stays centred under the memo; the box stands beside it.
  EXPECT_LE(std::abs(window.BitBtn1->geometry().center().x() - window.width() / 2), 1);
  EXPECT_GE(window.CheckBox_repeat->x(), window.BitBtn1->geometry().right());
  EXPECT_LE(std::abs(window.CheckBox_repeat->geometry().center().y() -
                     window.BitBtn1->geometry().center().y()),
            3);
  EXPECT_EQ(window.CheckBox_repeat->text(), "Repeat 100 times");
  EXPECT_FALSE(window.CheckBox_repeat->isChecked());

  window.CheckBox_repeat->setChecked(true);
  window.BitBtn1Click();
  // The press returns at once; the button now stops the test.
  EXPECT_TRUE(window.linkTestRunning());
  EXPECT_EQ(window.BitBtn1->text(), "Stop");
  ASSERT_TRUE(test::waitUntil([&] { return !window.linkTestRunning(); }));
  EXPECT_EQ(window.BitBtn1->text(), "Test connect");
  EXPECT_TRUE(window.Test_memo->toPlainText().endsWith(QString::fromUtf8(quality::kSound)));
  EXPECT_EQ(adapter->openCount(), std::size_t{kWindowRepeats});

  // A slow adapter, stopped part-way: the test ends before its hundred handshakes.
  adapter->clearRecords();
  adapter->setFaults({.replyDelay = 20ms});
  window.BitBtn1Click();
  ASSERT_TRUE(test::waitUntil([&] { return adapter->openCount() >= 3; }));
  window.BitBtn1Click();
  ASSERT_TRUE(test::waitUntil([&] { return !window.linkTestRunning(); }));
  EXPECT_LT(adapter->openCount(), std::size_t{kWindowRepeats});
  EXPECT_TRUE(window.Test_memo->toPlainText().endsWith(QString::fromUtf8(quality::kUnfinished)));
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
