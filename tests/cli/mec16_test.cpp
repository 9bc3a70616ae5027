// The MEC16 tool through the command line: the check and the erase on the calling thread
// with their verdicts, read and write with the worker, and Ctrl-C stopping a read.

#include <gtest/gtest.h>

#include "cli_bench.h"
#include "emulator/mec16/mec1609.h"
#include "safety/image_checks.h"
#include "tests/support/recording_view.h"
#include "tools/mec16/mec16_messages.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex::cli::test {
namespace {

namespace text = mec16::text;

constexpr std::size_t kMain = 192 * 1024;
constexpr std::size_t kInfo = 2048;
constexpr std::uint32_t kFwp = 0x10;

class CliMec16Test : public CliBench {
 protected:
  void SetUp() override {
    CliBench::SetUp();
    adapter_->addHandler(chip_);
  }

  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::v42());
  std::shared_ptr<emu::Mec1609> chip_ = std::make_shared<emu::Mec1609>();
};

TEST_F(CliMec16Test, CheckAndEraseFailWhileAProtectionIsSet) {
  EXPECT_EQ(run({"mec16", "check"}), kExitSuccess) << err();
  EXPECT_TRUE(outHas(text::kFwpClear));

  chip_->setStatusBits(kFwp);
  EXPECT_EQ(run({"mec16", "check"}), kExitFailure);
  EXPECT_TRUE(outHas(text::kFwpSet));
  chip_->fillMain(0x12);
  EXPECT_EQ(run({"mec16", "erase"}), kExitFailure);
  EXPECT_TRUE(outHas(text::kEraseRefused));
  EXPECT_EQ(chip_->mainFlash(), Bytes(kMain, 0x12));

  chip_->setStatusBits(0);
  EXPECT_EQ(run({"mec16", "erase"}), kExitSuccess) << err();
  EXPECT_TRUE(outHas(text::kEraseDone));
  EXPECT_EQ(chip_->mainFlash(), Bytes(kMain, 0xFF));

  // An adapter with the other firmware: the link's own line says why.
  bus_.detachAll();
  bus_.attach(emu::tags::v41());
  EXPECT_EQ(run({"mec16", "check"}), kExitFailure);
  EXPECT_TRUE(outHas("It is necessary to update the firmware programmer!"));
}

TEST_F(CliMec16Test, ReadWithInfoStoresBothBlocks) {
  const Bytes main = randomBytes(kMain, 5);
  chip_->setMain(main);
  chip_->fillInfo(0x5A);
  EXPECT_EQ(run({"mec16", "read", path("mec.bin"), "--info"}), kExitSuccess) << err();
  Bytes expected = main;
  expected.insert(expected.end(), kInfo, 0x5A);
  EXPECT_EQ(readFile(path("mec.bin")), expected);
  EXPECT_TRUE(outHas(text::kInfoReadDone));
  EXPECT_NE(err().find("reading 100%"), std::string::npos);
}

TEST_F(CliMec16Test, CtrlCStopsAReadAsAFailure) {
  interrupted_ = true;
  EXPECT_EQ(run({"mec16", "read", path("part.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(text::kUserStop));
  EXPECT_FALSE(outHas(text::kMainReadDone));
  EXPECT_EQ(lastOutcome(adapter_->lastOpenReceived()), 'O');
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(CliMec16Test, WriteProgramsTheMainBlock) {
  const Bytes image = randomBytes(kMain, 6);
  writeFile(path("fw.bin"), image);
  EXPECT_EQ(run({"mec16", "write", path("fw.bin")}), kExitSuccess) << err();
  EXPECT_EQ(chip_->mainFlash(), image);
  EXPECT_TRUE(outHas(text::kWriteDone));

  // Over the written chip, forced: the backup read sees it is not blank and goes on.
  chip_->setFaults({.badAckAtBlock = 10});
  EXPECT_EQ(run({"mec16", "write", path("fw.bin"), "--force"}), kExitFailure);
  EXPECT_FALSE(outHas(text::kWriteDone));
  EXPECT_EQ(lastOutcome(adapter_->lastOpenReceived()), 'O');
}

// The MEC16 view the tool itself needs, for the documented sequences run without the
// command line.
class PlainMec16View final : public tarvex::test::RecordingView, public mec16::Mec16View {
 public:
  void logLine(const std::string& line) override { RecordingView::logLine(line); }
  void clearLog() override {}
  void setGaugeMaximum(int, int) override {}
  void setGaugeProgress(int, int) override {}
  void setGaugeColor(int, Rgb) override {}
  void setStartButtonsEnabled(bool) override {}
  std::optional<std::string> chooseFile(const FileDialogSpec& s) override {
    return RecordingView::chooseFile(s);
  }
  void showErrorBox(const std::string&) override {}
  void setIndicator(mec16::Indicator, Rgb) override {}
};

TEST_F(CliMec16Test, WithEveryStepOffOnlyTheDocumentedBytesGoOut) {
  const Bytes image = randomBytes(kMain, 9);
  writeFile(path("fw.bin"), image);
  PlainMec16View view;
  mec16::Mec16Tool tool(bus_, view, env_.bounds.mec16);
  view.answerNextDialog(path("fw.bin"));
  ASSERT_TRUE(tool.startWrite(false));
  ASSERT_TRUE(tool.runWorker());
  const Bytes documentedWrite = adapter_->lastOpenReceived();
  ASSERT_TRUE(tool.erase(true));
  const Bytes documentedErase = adapter_->lastOpenReceived();

  std::size_t opens = adapter_->openCount();
  EXPECT_EQ(run({"mec16", "write", path("fw.bin"), "--no-backup", "--no-verify", "--force"}),
            kExitSuccess)
      << err();
  EXPECT_EQ(adapter_->openCount(), opens + 1);
  EXPECT_EQ(adapter_->lastOpenReceived(), documentedWrite);
  EXPECT_EQ(run({"mec16", "erase", "--info", "--no-backup", "--no-verify", "--force"}),
            kExitSuccess)
      << err();
  EXPECT_EQ(adapter_->openCount(), opens + 2);
  EXPECT_EQ(adapter_->lastOpenReceived(), documentedErase);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "backups"));

  // By default each adds a read before and after, and keeps a backup.
  EXPECT_EQ(run({"mec16", "write", path("fw.bin")}), kExitSuccess) << err();
  EXPECT_EQ(adapter_->openCount(), opens + 5);
  EXPECT_TRUE(outHas(text::kSafety.verifyOk));
  EXPECT_EQ(run({"mec16", "erase"}), kExitSuccess) << err();
  EXPECT_EQ(adapter_->openCount(), opens + 8);
  EXPECT_TRUE(outHas(text::kSafety.blankOk));
  int backups = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_ / "backups")) {
    ++backups;
  }
  EXPECT_EQ(backups, 2);
}

TEST_F(CliMec16Test, WrongImagesDirtyChipsAndMismatchesFailTheWrite) {
  // A cut image is refused before the adapter is opened, unless forced.
  const Bytes cut = randomBytes(kMain - 512, 2);
  writeFile(path("cut.bin"), cut);
  EXPECT_EQ(run({"mec16", "write", path("cut.bin")}), kExitFailure);
  EXPECT_EQ(adapter_->openCount(), 0u);
  EXPECT_TRUE(outHas(check_text::sizeDiffers(kMain - 512, kMain)));
  EXPECT_NE(err().find("add --force"), std::string::npos) << err();
  EXPECT_EQ(chip_->mainFlash(), Bytes(kMain, 0xFF));
  writeFile(path("blank.bin"), Bytes(kMain, 0x00));
  EXPECT_EQ(run({"mec16", "write", path("blank.bin")}), kExitFailure);
  EXPECT_TRUE(outHas(check_text::kBlankZero));
  EXPECT_EQ(run({"mec16", "write", path("cut.bin"), "--force"}), kExitSuccess) << err();

  // Over a chip that holds data: refused without --force, even with backups off.
  const Bytes image = randomBytes(kMain, 4);
  writeFile(path("fw.bin"), image);
  EXPECT_EQ(run({"mec16", "write", path("fw.bin"), "--no-backup"}), kExitFailure);
  EXPECT_TRUE(outHas(text::kMainNotBlank));
  EXPECT_EQ(lastOutcome(adapter_->lastOpenReceived()), 'I');  // the blank check read only

  // Forced over it, the chip keeps the AND of both: the read-back fails the run.
  EXPECT_EQ(run({"mec16", "write", path("fw.bin"), "--force"}), kExitFailure);
  EXPECT_TRUE(outHas(text::kWriteDone));
  EXPECT_FALSE(outHas(text::kSafety.verifyOk));
  bool mismatchLine = false;
  for (const auto& line : outLines()) {
    if (line.rfind(text::kSafety.mismatchAt, 0) == 0) mismatchLine = true;
  }
  EXPECT_TRUE(mismatchLine) << out_.str();

  // A backup read that fails ends the erase before it starts.
  const Bytes before = chip_->mainFlash();
  chip_->setFaults({.stalledBlock = std::pair<std::uint32_t, int>{0, 3}});
  EXPECT_EQ(run({"mec16", "erase"}), kExitFailure);
  EXPECT_TRUE(outHas(text::kSafety.backupReadFailed));
  EXPECT_EQ(chip_->mainFlash(), before);
}

}  // namespace
}  // namespace tarvex::cli::test
