// The adapter check and the EDID tool through the command line: the window's lines on
// standard output, the exit status following the operation's result, and image files
// refused, read and written as the window's dialogs would have them.

#include <gtest/gtest.h>

#include <algorithm>

#include "cli_bench.h"
#include "emulator/eeprom/demo_panel.h"
#include "emulator/eeprom/panel_eeprom.h"
#include "link/connection_test.h"
#include "tests/support/recording_log.h"
#include "tests/support/test_platform.h"
#include "tools/edid/edid_image_check.h"
#include "tools/edid/edid_messages.h"

namespace tarvex::cli::test {
namespace {

class CliAdapterCheckTest : public CliBench {};

TEST_F(CliAdapterCheckTest, PrintsTheConnectionTestsReportAndItsVerdict) {
  bus_.attach(emu::tags::v41());
  tarvex::test::RecordingLog report;
  ASSERT_TRUE(runConnectionTest(bus_, report));

  EXPECT_EQ(run({"adapter", "check", "--port", "/dev/ttyUSB7"}), kExitSuccess);
  // The same lines, less the empty one that opens the report in an appended log.
  Lines expected = report.lines();
  ASSERT_EQ(expected.front(), "");
  expected.erase(expected.begin());
  EXPECT_EQ(outLines(), expected);
  EXPECT_EQ(requestedPort_, "/dev/ttyUSB7");
}

TEST_F(CliAdapterCheckTest, FailsWithoutAnAdapterOrWithTheWrongFirmware) {
  EXPECT_EQ(run({"adapter", "check"}), kExitFailure);
  EXPECT_EQ(outLines(), Lines{"VCOM порты не найдены!"});
  EXPECT_EQ(requestedPort_, std::nullopt);

  bus_.attach(emu::tags::v42());
  EXPECT_EQ(run({"adapter", "check"}), kExitFailure);
  EXPECT_EQ(outLines().back(), "Программатор найден, НО версия ПО неверная. Закрыли порт и вышли.");

  bus_.detachAll();
  bus_.attach(std::vector<std::uint8_t>{});  // a device that never answers
  EXPECT_EQ(run({"adapter", "check"}), kExitFailure);
  EXPECT_EQ(outLines().back(), "Перебрали все порты, нам никто не ответил");
}

TEST_F(CliAdapterCheckTest, RepeatReportsTheLinksQualityAndFailsOnAnyFault) {
  auto adapter = bus_.attach(emu::tags::v41());
  EXPECT_EQ(run({"adapter", "check", "--repeat", "4"}), kExitSuccess) << err();
  EXPECT_TRUE(outHas("Порт переконфигурирован. Закрыли порт и вышли."));
  EXPECT_TRUE(outHas("Рукопожатий: 4, неудачных: 0"));
  EXPECT_EQ(outLines().back(), "Связь в порядке.");
  EXPECT_EQ(adapter->openCount(), 4u);

  adapter->clearRecords();
  adapter->setFaults({.silentOnOpen = 2});
  EXPECT_EQ(run({"adapter", "check", "--repeat=3"}), kExitFailure);
  EXPECT_TRUE(outHas("Рукопожатие 2: нет ответа в три байта"));
  EXPECT_TRUE(outHas("Рукопожатий: 3, неудачных: 1"));
  EXPECT_FALSE(outHas("Связь в порядке."));

  // Ctrl-C stops before the next handshake, and a stopped test fails.
  adapter->setFaults({});
  interrupted_ = true;
  EXPECT_EQ(run({"adapter", "check", "--repeat", "10000"}), kExitFailure);
  EXPECT_TRUE(outHas("Проверка остановлена после рукопожатия 1 из 10000"));

  // Counts out of range, or not counts, are usage errors; the adapter is not touched.
  adapter->clearRecords();
  for (const char* count : {"0", "10001", "-3", "5x", ""}) {
    EXPECT_EQ(run({"adapter", "check", "--repeat", count}), kExitUsage) << count;
  }
  EXPECT_EQ(run({"edid", "read", "x.bin", "--repeat", "3"}), kExitUsage);
  EXPECT_EQ(adapter->openCount(), 0u);
}

class CliEdidTest : public CliBench {
 protected:
  void SetUp() override {
    CliBench::SetUp();
    adapter_->addHandler(eeprom_);
  }
  Bytes eepromBytes() const {
    const auto c = eeprom_->contents();
    return Bytes(c.begin(), c.end());
  }
  // An EDID unlike the panel's (another product code), its checksum right unless told.
  static Bytes otherPanel(bool checksumRight = true) {
    const auto demo = emu::demoPanelEeprom();
    Bytes image(demo.begin(), demo.end());
    image[10] ^= 0x5A;
    image = edid::withCorrectedChecksum(image);
    if (!checksumRight) image[127] ^= 0x01;
    return image;
  }
  // The bytes the adapter receives for the documented write of a 256-byte image.
  static Bytes documentedWrite(const Bytes& image) {
    // Built by size rather than by insert, which trips a false array-bounds warning in GCC 12.
    Bytes b(3 + image.size() + 1, 'I');
    b[0] = 'B';
    b[1] = 'E';
    b[2] = 'w';
    std::copy(image.begin(), image.end(), b.begin() + 3);
    return b;
  }

  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::v41());
  std::shared_ptr<emu::PanelEeprom> eeprom_ =
      std::make_shared<emu::PanelEeprom>(emu::demoPanelEeprom(), 7);
};

TEST_F(CliEdidTest, ReadSavesTheImageAndPrintsTheDump) {
  const std::string file = path("panel.bin");
  EXPECT_EQ(run({"edid", "read", file}), kExitSuccess) << err();
  EXPECT_EQ(readFile(file), eepromBytes());
  const Lines lines = outLines();
  const auto save = std::find(lines.begin(), lines.end(), "Save the file: ");
  ASSERT_TRUE(save != lines.end() && save + 1 != lines.end());
  EXPECT_EQ(save[1], file);
  EXPECT_TRUE(outHas("Manufacturer: TVX"));
  EXPECT_TRUE(outHas("Reading from the EEPROM is completed successfully."));
  EXPECT_EQ(lastOutcome(adapter_->lastOpenReceived()), 'I');
}

TEST_F(CliEdidTest, AnExistingFileIsOnlyOverwrittenWithForce) {
  const std::string file = path("keep.bin");
  writeFile(file, {1, 2, 3});
  EXPECT_EQ(run({"edid", "read", file}), kExitFailure);
  EXPECT_NE(err().find("already exists"), std::string::npos);
  // Refused before the adapter was touched.
  EXPECT_EQ(busesOpened_, 0);
  EXPECT_EQ(adapter_->openCount(), 0u);
  EXPECT_EQ(readFile(file), (Bytes{1, 2, 3}));

  EXPECT_EQ(run({"--force", "edid", "read", file}), kExitSuccess) << err();
  EXPECT_EQ(readFile(file), eepromBytes());

  // A folder or a device is refused even with --force, before the adapter is touched.
  for (const std::string& target : {path(""), std::string(tarvex::test::kNullDevice)}) {
    EXPECT_EQ(run({"--force", "edid", "read", target}), kExitFailure);
    EXPECT_NE(err().find("Ошибка создания файла."), std::string::npos);
  }
  EXPECT_EQ(adapter_->openCount(), 2u);  // only the read above, taken twice
}

// A read is taken twice, each session the documented read; --single-read sends it once.
TEST_F(CliEdidTest, ReadIsTakenTwiceAndSingleReadSendsTheDocumentedReadOnce) {
  ASSERT_EQ(run({"edid", "read", path("twice.bin")}), kExitSuccess) << err();
  const auto twice = adapter_->receivedPerOpen();
  ASSERT_EQ(twice.size(), 2u);
  EXPECT_EQ(twice[0], twice[1]);
  EXPECT_TRUE(outHas(edid::msg::kDoubleRead.readsMatch));

  adapter_->clearRecords();
  ASSERT_EQ(run({"edid", "read", "--single-read", path("once.bin")}), kExitSuccess) << err();
  const auto once = adapter_->receivedPerOpen();
  ASSERT_EQ(once.size(), 1u);
  EXPECT_EQ(once[0], twice[0]);
  EXPECT_FALSE(outHas(edid::msg::kDoubleRead.readsMatch));
  EXPECT_EQ(readFile(path("once.bin")), eepromBytes());
  EXPECT_EQ(readFile(path("twice.bin")), eepromBytes());
  EXPECT_EQ(run({"edid", "write", "--single-read", path("once.bin")}), kExitUsage);
}

TEST_F(CliEdidTest, ReadFailuresEndWithStatusOne) {
  eeprom_->setPanelPresent(false);
  EXPECT_EQ(run({"edid", "read", path("none.bin")}), kExitFailure);
  EXPECT_TRUE(outHas("EEPROM does not respond, check the connection !!!"));
  EXPECT_FALSE(std::filesystem::exists(path("none.bin")));

  // A file that cannot be created: the window's message box goes to standard error.
  eeprom_->setPanelPresent(true);
  EXPECT_EQ(run({"edid", "read", path("no/such/dir.bin")}), kExitFailure);
  EXPECT_NE(err().find("Ошибка создания файла."), std::string::npos);
}

TEST_F(CliEdidTest, WriteTakesTheFileIntoTheEeprom) {
  const Bytes before = eepromBytes();
  const Bytes image = otherPanel();
  writeFile(path("new.bin"), image);
  EXPECT_EQ(run({"edid", "write", path("new.bin")}), kExitSuccess) << err();
  EXPECT_EQ(eepromBytes(), image);
  EXPECT_TRUE(outHas("Writing data to EEPROM is completed successfully."));
  EXPECT_EQ(outLines().back(), edid::msg::kSafety.verifyOk);
  // Backup read, write, read-back; the backup holds the panel's old EDID.
  EXPECT_EQ(adapter_->openCount(), 3u);
  const auto backups = std::filesystem::directory_iterator(dir_ / "backups");
  ASSERT_NE(backups, std::filesystem::directory_iterator());
  EXPECT_EQ(readFile(backups->path()), before);
}

TEST_F(CliEdidTest, WithEveryStepOffOnlyTheDocumentedWriteGoesOut) {
  // Blank, so --force has a refusal to pass too.
  writeFile(path("blank.bin"), Bytes(256, 0xFF));
  EXPECT_EQ(run({"edid", "write", path("blank.bin"), "--no-backup", "--no-verify", "--force"}),
            kExitSuccess)
      << err();
  EXPECT_EQ(adapter_->openCount(), 1u);
  EXPECT_EQ(adapter_->lastOpenReceived(), documentedWrite(Bytes(256, 0xFF)));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "backups"));
}

TEST_F(CliEdidTest, AWrongChecksumIsRefusedAndCorrectedOnlyOnRequest) {
  const Bytes before = eepromBytes();
  const Bytes wrong = otherPanel(false);
  writeFile(path("wrong.bin"), wrong);
  EXPECT_EQ(run({"edid", "write", path("wrong.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(edid::msg::kSafety.cancelled));
  EXPECT_NE(err().find("--fix-checksum"), std::string::npos) << err();
  EXPECT_EQ(adapter_->openCount(), 0u);
  EXPECT_EQ(eepromBytes(), before);

  // Corrected in what is sent, never in the file.
  ASSERT_EQ(run({"edid", "write", path("wrong.bin"), "--fix-checksum", "--no-backup"}),
            kExitSuccess)
      << err();
  EXPECT_EQ(eepromBytes(), otherPanel(true));
  EXPECT_EQ(readFile(path("wrong.bin")), wrong);
  EXPECT_TRUE(outHas(edid::msg::checksumCorrected(wrong[127], otherPanel(true)[127])));
}

TEST_F(CliEdidTest, WriteFailuresEndWithStatusOne) {
  const Bytes before = eepromBytes();
  EXPECT_EQ(run({"edid", "write", path("missing.bin")}), kExitFailure);
  EXPECT_NE(err().find("Ошибка открытия файла."), std::string::npos);
  // The file is looked at before the adapter is touched.
  EXPECT_EQ(adapter_->openCount(), 0u);

  writeFile(path("new.bin"), otherPanel());
  eeprom_->setWriteProtected(true);
  EXPECT_EQ(run({"edid", "write", path("new.bin")}), kExitFailure);
  EXPECT_EQ(lastOutcome(adapter_->lastOpenReceived()), 'O');
  EXPECT_EQ(eepromBytes(), before);
}

}  // namespace
}  // namespace tarvex::cli::test
