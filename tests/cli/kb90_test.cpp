// The KB90xx tool through the command line: read and write with their worker, progress on
// standard error, a verification that does not match ending as a failure, and the wiring
// help from the base file.

#include <gtest/gtest.h>

#include "cli_bench.h"
#include "emulator/kb90/kb90_controller.h"
#include "safety/image_checks.h"
#include "safety/partly_changed_line.h"
#include "tests/kb90/kb90_fixture.h"
#include "tools/kb90/kb90_messages.h"

namespace tarvex::cli::test {
namespace {

constexpr std::size_t kFlash = 128 * 1024;

class CliKb90Test : public CliBench {
 protected:
  void SetUp() override {
    CliBench::SetUp();
    adapter_->addHandler(controller_);
  }
  bool errHas(const std::string& text) const { return err().find(text) != std::string::npos; }

  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::v41());
  std::shared_ptr<emu::Kb90Controller> controller_ = std::make_shared<emu::Kb90Controller>(0x0C);
};

TEST_F(CliKb90Test, ReadStoresTheFlashWithProgress) {
  const Bytes flash = randomBytes(kFlash, 1);
  controller_->setFlash(flash);
  EXPECT_EQ(run({"kb90", "read", path("ec.bin")}), kExitSuccess) << err();
  EXPECT_EQ(readFile(path("ec.bin")), flash);
  EXPECT_TRUE(outHas("Reading completed successfully."));
  EXPECT_TRUE(errHas("reading 50%\n"));
  EXPECT_TRUE(errHas("reading 100%\n"));
}

// A read is taken twice, each session the documented read; --single-read sends it once.
TEST_F(CliKb90Test, ReadIsTakenTwiceAndSingleReadSendsTheDocumentedReadOnce) {
  const Bytes flash = randomBytes(kFlash, 3);
  controller_->setFlash(flash);
  ASSERT_EQ(run({"kb90", "read", path("twice.bin")}), kExitSuccess) << err();
  const auto twice = adapter_->receivedPerOpen();
  ASSERT_EQ(twice.size(), 2u);
  EXPECT_EQ(twice[0], twice[1]);
  EXPECT_TRUE(outHas(kb90::text::kDoubleRead.readsMatch));

  adapter_->clearRecords();
  ASSERT_EQ(run({"kb90", "read", "--single-read", path("once.bin")}), kExitSuccess) << err();
  const auto once = adapter_->receivedPerOpen();
  ASSERT_EQ(once.size(), 1u);
  EXPECT_EQ(once[0], twice[0]);
  EXPECT_FALSE(outHas(kb90::text::kDoubleRead.readsMatch));
  EXPECT_EQ(readFile(path("once.bin")), flash);
  EXPECT_EQ(readFile(path("twice.bin")), flash);
  EXPECT_EQ(run({"kb90", "write", "--single-read", path("once.bin")}), kExitUsage);
}

TEST_F(CliKb90Test, WriteIsVerifiedAndAMismatchFails) {
  const Bytes image = randomBytes(kFlash, 2);
  writeFile(path("fw.bin"), image);
  EXPECT_EQ(run({"kb90", "write", path("fw.bin")}), kExitSuccess) << err();
  EXPECT_EQ(controller_->flash(), image);
  EXPECT_EQ(outLines()[outLines().size() - 2], "Writing and verify is OK !");
  EXPECT_TRUE(errHas("writing 100%\n"));
  EXPECT_TRUE(errHas("verifying 100%\n"));

  // A cell that does not take its value: the sums differ, the flash is not what was sent.
  controller_->setFaults({.stuckCell = 1000});
  writeFile(path("fw2.bin"), randomBytes(kFlash, 3));
  EXPECT_EQ(run({"kb90", "write", path("fw2.bin")}), kExitFailure);
  EXPECT_TRUE(outHas("!!! Data is written incorrectly !!! "));
  EXPECT_EQ(lastOutcome(adapter_->lastOpenReceived()), 'O');
}

TEST_F(CliKb90Test, AStalledOrMissingControllerFails) {
  controller_->setFaults({.silentAfterBlocks = 100});
  EXPECT_EQ(run({"kb90", "read", path("a.bin")}), kExitFailure);
  EXPECT_TRUE(outHas("No answer from the programmer at block 101 of 512, the operation is interrupted!"));

  controller_->setFaults({.noController = true});
  EXPECT_EQ(run({"kb90", "read", path("b.bin")}), kExitFailure);
  EXPECT_TRUE(outHas("No connection to the KB90XX!"));

  bus_.detachAll();
  writeFile(path("a.bin"), randomBytes(kFlash, 9));  // the image is read before the adapter
  EXPECT_EQ(run({"kb90", "write", path("a.bin")}), kExitFailure);
  EXPECT_EQ(outLines(), (Lines{"VCOM port is not found on the machine!",
                               kb90::text::kSafety.backupReadFailed}));
}

TEST_F(CliKb90Test, CtrlCDuringATransferLetsItFinish) {
  const Bytes image = randomBytes(kFlash, 4);
  writeFile(path("fw.bin"), image);
  interrupted_ = true;
  // Without the backup read first, which a Ctrl-C would end the operation after.
  EXPECT_EQ(run({"kb90", "write", path("fw.bin"), "--no-backup"}), kExitSuccess) << err();
  EXPECT_EQ(controller_->flash(), image);
  EXPECT_TRUE(errHas("cannot stop part-way"));
}

std::vector<std::filesystem::path> backupsIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> found;
  if (!std::filesystem::exists(folder)) return found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) found.push_back(entry.path());
  return found;
}

TEST_F(CliKb90Test, WriteKeepsABackupAndWithoutItSendsOnlyTheDocumentedBytes) {
  const Bytes image = randomBytes(kFlash, 30);
  writeFile(path("fw.bin"), image);
  // The documented write alone, as the tool's own handlers run it.
  kb90::test::Kb90RecordingView plain;
  kb90::Kb90Tool tool(bus_, plain, plain, env_.bounds.kb90);
  plain.answerNextDialog(path("fw.bin"));
  ASSERT_TRUE(tool.writeClick());
  std::thread worker([&tool] { tool.runWorker(); });
  tool.beginTransfer();
  worker.join();
  const Bytes documented = adapter_->lastOpenReceived();

  const std::size_t opens = adapter_->openCount();
  EXPECT_EQ(run({"kb90", "write", path("fw.bin"), "--no-backup", "--force"}), kExitSuccess)
      << err();
  EXPECT_EQ(adapter_->openCount(), opens + 1);
  EXPECT_EQ(adapter_->lastOpenReceived(), documented);
  EXPECT_TRUE(backupsIn(dir_ / "backups").empty());
  EXPECT_EQ(run({"kb90", "write", path("fw.bin"), "--no-verify"}), kExitUsage);

  const Bytes old = randomBytes(kFlash, 31);
  controller_->setFlash(old);
  EXPECT_EQ(run({"kb90", "write", path("fw.bin")}), kExitSuccess) << err();
  EXPECT_EQ(adapter_->openCount(), opens + 3);
  EXPECT_EQ(controller_->flash(), image);
  const auto saved = backupsIn(dir_ / "backups");
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(readFile(saved[0]), old);
  EXPECT_TRUE(outHas(kb90::text::kSafety.backupSaved + saved[0].string()));
}

TEST_F(CliKb90Test, WrongImagesAreRefusedAndAFailedWriteSaysTheFlashIsPartlyWritten) {
  writeFile(path("blank.bin"), Bytes(kFlash, 0x00));
  EXPECT_EQ(run({"kb90", "write", path("blank.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(check_text::kBlankZero));
  writeFile(path("long.bin"), randomBytes(kFlash + 1, 3));
  EXPECT_EQ(run({"kb90", "write", path("long.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(check_text::sizeDiffers(kFlash + 1, kFlash)));
  EXPECT_EQ(adapter_->openCount(), 0u);

  // Unplugged a quarter of the way: no backup this time, and the line names none.
  writeFile(path("fw.bin"), randomBytes(kFlash, 4));
  controller_->setFaults({.silentAfterBlocks = 130});
  EXPECT_EQ(run({"kb90", "write", path("fw.bin"), "--no-backup"}), kExitFailure);
  EXPECT_EQ(outLines().back(), kb90::text::kPartlyWritten.line);

  // A flash that does not match after the write: the line names this run's backup.
  const Bytes old = randomBytes(kFlash, 5);
  controller_->setFlash(old);
  controller_->setFaults({.stuckCell = 77});
  EXPECT_EQ(run({"kb90", "write", path("fw.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(kb90::text::kVerifyFailed));
  const auto saved = backupsIn(dir_ / "backups");
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(readFile(saved[0]), old);
  EXPECT_EQ(outLines().back(), partlyChangedLine(kb90::text::kPartlyWritten, saved[0].string()));

  // No controller: nothing was written, and nothing is said to be.
  controller_->setFaults({.noController = true});
  EXPECT_EQ(run({"kb90", "write", path("fw.bin"), "--no-backup"}), kExitFailure);
  EXPECT_FALSE(outHas(kb90::text::kPartlyWritten.line));
}

class CliWiringTest : public CliBench {
 protected:
  void SetUp() override {
    CliBench::SetUp();
    writeText(env_.kb90BaseFile,
              "Board A  KSO3=5 KSI4=10 KSI7=13 KSI6=12 KSI5=11\n"
              "Board B  KSO3=7 KSI4=29 KSI7=22 KSI6=21 KSI5=20\n"
              "Board C  KSO3=x KSI4=1\n");
  }
};

TEST_F(CliWiringTest, AnswersForAnEntryAndACable) {
  EXPECT_EQ(run({"kb90", "wiring", "--entry", "1", "--cable", "24"}), kExitSuccess);
  EXPECT_EQ(outLines(), Lines{"Please connect GND and:  A5 B10 C13 D12 E11"});
  EXPECT_EQ(run({"kb90", "wiring", "--entry", "1", "--cable", "24", "--reversed"}), kExitSuccess);
  EXPECT_EQ(outLines(), Lines{"Please connect GND and:  A20 B15 C12 D13 E14"});
  // Needs no adapter at all.
  EXPECT_EQ(busesOpened_, 0);
}

TEST_F(CliWiringTest, ListNumbersTheBoardsAndARunNamesItsBoard) {
  EXPECT_EQ(run({"kb90", "wiring", "--list"}), kExitSuccess) << err();
  EXPECT_EQ(outLines(), (Lines{"1  Board A", "2  Board B", "3  Board C"}));
  EXPECT_EQ(run({"kb90", "wiring", "--entry", "2", "--cable", "24"}), kExitFailure);
  EXPECT_NE(err().find("mainboard 2: Board B\n"), std::string::npos) << err();
  EXPECT_EQ(run({"kb90", "wiring", "--list", "--entry", "2"}), kExitUsage);

  // Ten entries align their numbers; a name cannot steer the terminal, and an entry
  // without a name still has its number.
  std::string file = "\x1b[2JWiped KSO3=1\n\nKSO3=5 KSI4=1\n";
  for (int i = 4; i <= 10; ++i) file += "Board " + std::to_string(i) + "\tKSO3=2\n";
  writeText(env_.kb90BaseFile, file);
  EXPECT_EQ(run({"kb90", "wiring", "--list"}), kExitSuccess) << err();
  const Lines lines = outLines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], " 1  \\x1B[2JWiped");
  EXPECT_EQ(lines[1], " 2  (no name)");
  EXPECT_EQ(lines[2], " 3  (no name)");
  EXPECT_EQ(lines[9], "10  Board 10");
  EXPECT_EQ(busesOpened_, 0);
}

TEST_F(CliWiringTest, AnEntryWithoutAnAnswerFails) {
  EXPECT_EQ(run({"kb90", "wiring", "--entry", "2", "--cable", "24"}), kExitFailure);
  EXPECT_EQ(outLines(), Lines{"Please select big pins FFC!"});
  EXPECT_EQ(run({"kb90", "wiring", "--entry", "3", "--cable", "24"}), kExitFailure);
  EXPECT_NE(err().find("'x' is not a valid integer value"), std::string::npos);
  EXPECT_EQ(run({"kb90", "wiring", "--entry", "4", "--cable", "24"}), kExitFailure);
  EXPECT_NE(err().find("has 3 entries"), std::string::npos);

  std::filesystem::remove(env_.kb90BaseFile);
  EXPECT_EQ(run({"kb90", "wiring", "--entry", "1", "--cable", "24"}), kExitFailure);
  EXPECT_EQ(outLines(), (Lines{"Create base of connections KB90XX !",
                               "File not found: " + env_.kb90BaseFile}));
}

}  // namespace
}  // namespace tarvex::cli::test
