// The ITE tool through the command line: the settings from a preset (mirrored for a cable
// plugged the other way) or from a pin list, the check, and the flash read and write.

#include <gtest/gtest.h>

#include "cli_bench.h"
#include "emulator/ite/it85_board.h"
#include "safety/image_checks.h"
#include "base/native_files.h"
#include "safety/partly_changed_line.h"
#include "tests/ite/ite_fixture.h"
#include "tools/ite/ite_messages.h"

namespace tarvex::cli::test {
namespace {

using Board = emu::It85Board;

constexpr std::size_t kFlash = 128 * 1024;

// PD0..PD7, STB, AFD, INIT, SLIN, BUSY, KSI4, KSI5, as the board model lists them.
const Board::Wiring kWiring{3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 15, 14, 11, 16, 17};
const char* const kPresets =
    "Board one PD0=3 PD1=4 PD2=5 PD3=6 PD4=7 PD5=8 PD6=9 PD7=10 BUSY=11 STB=12 AFD=13 "
    "INIT=15 SLIN=14 KSI4=16 KSI5=17 KB_pins=30\n"
    "Board two PD0=3 PD1=4 KB_pins=30\n";

Board::Assignments held(const Board::Wiring& wiring) {
  Board::Assignments out;
  for (std::size_t i = 0; i < wiring.size(); ++i) out[i] = wiring[i];
  return out;
}

class CliIteTest : public CliBench {
 protected:
  void SetUp() override {
    CliBench::SetUp();
    adapter_->addHandler(board_);
    writeText(env_.itePresetsFile, kPresets);
  }

  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::ite());
  std::shared_ptr<Board> board_ = std::make_shared<Board>(kWiring);
};

TEST_F(CliIteTest, SettingsFromAPresetStraightOrReversed) {
  EXPECT_EQ(run({"ite", "settings", "--preset", "1"}), kExitSuccess) << err();
  EXPECT_EQ(board_->assignments(), held(kWiring));
  EXPECT_TRUE(outHas(ite_text::kSettingsSent));
  EXPECT_NE(err().find("PD0=3,PD1=4,"), std::string::npos);
  EXPECT_EQ(run({"ite", "check"}), kExitSuccess) << err();

  const Board::Wiring mirrored = Board::mirrored(kWiring, 30);
  EXPECT_EQ(run({"ite", "settings", "--preset", "1", "--reversed"}), kExitSuccess) << err();
  EXPECT_EQ(board_->assignments(), held(mirrored));
  // The board is still wired straight: the controller cannot be reached.
  EXPECT_EQ(run({"ite", "check"}), kExitFailure);
  board_->setWiring(mirrored);
  EXPECT_EQ(run({"ite", "check"}), kExitSuccess) << err();
}

TEST_F(CliIteTest, SettingsFromAPinList) {
  const std::string pins =
      "PD0=3,PD1=4,PD2=5,PD3=6,PD4=7,PD5=8,PD6=9,PD7=10,STB=12,AFD=13,INIT=15,SLIN=14,"
      "BUSY=11,KSI4=16,KSI5=0";
  EXPECT_EQ(run({"ite", "settings", "--pins", pins}), kExitSuccess) << err();
  Board::Assignments expected = held(kWiring);
  expected[Board::kKsi5] = 0;  // not connected
  EXPECT_EQ(board_->assignments(), expected);
}

TEST_F(CliIteTest, ListShowsThePresetsWithoutTheAdapterAndARunNamesItsBoard) {
  EXPECT_EQ(run({"ite", "settings", "--list"}), kExitSuccess) << err();
  EXPECT_EQ(outLines(), (Lines{"1  Board one", "2  Board two"}));
  EXPECT_EQ(adapter_->openCount(), 0u);
  EXPECT_EQ(run({"ite", "settings", "--preset", "1"}), kExitSuccess) << err();
  EXPECT_NE(err().find("mainboard 1: Board one\n"), std::string::npos) << err();
  EXPECT_EQ(run({"ite", "settings", "--list", "--preset", "1"}), kExitUsage);
  std::filesystem::remove(env_.itePresetsFile);
  EXPECT_EQ(run({"ite", "settings", "--list"}), kExitFailure);
  EXPECT_TRUE(outLines().empty());
}

TEST_F(CliIteTest, APresetThatCannotBeAppliedSendsNothing) {
  EXPECT_EQ(run({"ite", "settings", "--preset", "2"}), kExitFailure);
  EXPECT_TRUE(outHas("Not found information on PD2 !"));
  EXPECT_EQ(run({"ite", "settings", "--preset", "3"}), kExitFailure);
  EXPECT_NE(err().find("has 2 presets"), std::string::npos);
  std::filesystem::remove(env_.itePresetsFile);
  EXPECT_EQ(run({"ite", "settings", "--preset", "1"}), kExitFailure);
  EXPECT_NE(err().find(ite_text::kPresetFileMissingIn +
                       std::filesystem::path(env_.itePresetsFile).parent_path().string() + native::kSeparator +
                       ite_text::kPresetFileMissingEnd),
            std::string::npos)
      << err();
  EXPECT_EQ(adapter_->openCount(), 0u);
}

// A read is taken twice, each session the documented read; --single-read sends it once.
TEST_F(CliIteTest, ReadIsTakenTwiceAndSingleReadSendsTheDocumentedReadOnce) {
  ASSERT_EQ(run({"ite", "settings", "--preset", "1"}), kExitSuccess) << err();
  const Bytes flash = randomBytes(kFlash, 4);
  board_->setFlash(flash);
  adapter_->clearRecords();
  ASSERT_EQ(run({"ite", "read", path("twice.bin")}), kExitSuccess) << err();
  const auto twice = adapter_->receivedPerOpen();
  ASSERT_EQ(twice.size(), 2u);
  EXPECT_EQ(twice[0], twice[1]);

  adapter_->clearRecords();
  ASSERT_EQ(run({"ite", "read", "--single-read", path("once.bin")}), kExitSuccess) << err();
  const auto once = adapter_->receivedPerOpen();
  ASSERT_EQ(once.size(), 1u);
  EXPECT_EQ(once[0], twice[0]);
  EXPECT_EQ(readFile(path("once.bin")), flash);
  EXPECT_EQ(readFile(path("twice.bin")), flash);
}

TEST_F(CliIteTest, ReadAndWriteTheFlash) {
  ASSERT_EQ(run({"ite", "settings", "--preset", "1"}), kExitSuccess) << err();
  const Bytes flash = randomBytes(kFlash, 8);
  board_->setFlash(flash);
  EXPECT_EQ(run({"ite", "read", path("ite.bin")}), kExitSuccess) << err();
  EXPECT_EQ(readFile(path("ite.bin")), flash);

  Bytes image(kFlash, 0xFF);
  for (std::size_t i = 0; i < 3000; ++i) image[i * 37] = static_cast<std::uint8_t>(i);
  writeFile(path("new.bin"), image);
  EXPECT_EQ(run({"ite", "write", path("new.bin")}), kExitSuccess) << err();
  EXPECT_EQ(board_->flash(), image);
  EXPECT_TRUE(outHas(ite_text::kWriteDone));

  board_->setFaults({.badPageStatusAt = 9});
  EXPECT_EQ(run({"--force", "ite", "read", path("ite.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(std::string(ite_text::kBadBlock) + "9"));
}

// Files in the backups folder.
std::vector<std::filesystem::path> backupsIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> found;
  if (!std::filesystem::exists(folder)) return found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) found.push_back(entry.path());
  return found;
}

TEST_F(CliIteTest, WriteKeepsABackupReadsBackAndWithEveryStepOffSendsOnlyTheDocumentedBytes) {
  ASSERT_EQ(run({"ite", "settings", "--preset", "1"}), kExitSuccess) << err();
  Bytes image(kFlash, 0xFF);
  for (std::size_t i = 0; i < 1500; ++i) image[(i * 83) % kFlash] = static_cast<std::uint8_t>(i);
  writeFile(path("fw.bin"), image);

  // The documented write alone, as the tool's own handlers run it.
  tarvex::test::IteRecordingView plain;
  IteTool tool(bus_, plain, plain, env_.bounds.ite);
  plain.answerNextDialog(path("fw.bin"));
  ASSERT_TRUE(tool.startWrite());
  ASSERT_TRUE(tool.runWorker());
  const Bytes documented = adapter_->lastOpenReceived();

  std::size_t opens = adapter_->openCount();
  EXPECT_EQ(run({"ite", "write", path("fw.bin"), "--no-backup", "--no-verify", "--force"}),
            kExitSuccess)
      << err();
  EXPECT_EQ(adapter_->openCount(), opens + 1);
  EXPECT_EQ(adapter_->lastOpenReceived(), documented);
  EXPECT_TRUE(outHas(ite_text::kWriteNotVerified));
  EXPECT_TRUE(backupsIn(dir_ / "backups").empty());

  // By default the old firmware is kept first and the flash read back after.
  const Bytes old = randomBytes(kFlash, 12);
  board_->setFlash(old);
  EXPECT_EQ(run({"ite", "write", path("fw.bin")}), kExitSuccess) << err();
  EXPECT_EQ(adapter_->openCount(), opens + 4);
  EXPECT_EQ(board_->flash(), image);
  EXPECT_TRUE(outHas(ite_text::kSafety.verifyOk));
  const auto saved = backupsIn(dir_ / "backups");
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(readFile(saved[0].string()), old);
  EXPECT_EQ(saved[0].filename().string().rfind("ite-", 0), 0u);
}

TEST_F(CliIteTest, WrongImagesAreRefusedAndACutWriteSaysTheFlashIsPartlyWritten) {
  ASSERT_EQ(run({"ite", "settings", "--preset", "1"}), kExitSuccess) << err();
  const std::size_t opens = adapter_->openCount();
  writeFile(path("cut.bin"), randomBytes(kFlash - 256, 2));
  EXPECT_EQ(run({"ite", "write", path("cut.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(check_text::sizeDiffers(kFlash - 256, kFlash)));
  EXPECT_NE(err().find("add --force"), std::string::npos) << err();
  writeFile(path("blank.bin"), Bytes(kFlash, 0xFF));
  EXPECT_EQ(run({"ite", "write", path("blank.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(check_text::kBlankErased));
  EXPECT_EQ(adapter_->openCount(), opens);  // refused before the adapter is touched

  const Bytes old = randomBytes(kFlash, 7);
  board_->setFlash(old);
  board_->setFaults({.flashByteRefusedAt = 300});
  writeFile(path("fw.bin"), randomBytes(kFlash, 8));
  EXPECT_EQ(run({"ite", "write", path("fw.bin")}), kExitFailure);
  const auto saved = backupsIn(dir_ / "backups");
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(readFile(saved[0].string()), old);
  EXPECT_EQ(outLines().back(), partlyChangedLine(ite_text::kPartlyWritten, saved[0].string()));
}

}  // namespace
}  // namespace tarvex::cli::test
