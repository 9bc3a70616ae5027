// Reading the IT85xx flash into an image file: the start on the user-interface thread,
// the page stream in the worker, and every way the read can end.

#include "frame/staged_image.h"
#include "tests/ite/ite_fixture.h"

namespace tarvex::test {
namespace {

Bytes flashPattern() {
  Bytes image(IteTool::kFlashSize);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
  return image;
}

class IteRead : public IteBench {
 protected:
  void SetUp() override {
    IteBench::SetUp();
    settingsInAdapter();
    board_->setFlash(flashPattern());
  }
  // Starts a read into the named file and, when the start passes, runs the worker.
  bool read(const std::string& name) {
    view_.answerNextDialog(path(name));
    if (!tool_.startRead()) return false;
    runWorker();
    return true;
  }
};

TEST_F(IteRead, FullReadStoresTheWholeFlashAndSignsOffWithSuccess) {
  ASSERT_TRUE(read("full.bin"));
  EXPECT_EQ(readFile(path("full.bin")), flashPattern());
  EXPECT_TRUE(view_.hasLine("Start reading ITE ..."));
  EXPECT_TRUE(view_.hasLine("Initialization complete ..."));
  EXPECT_TRUE(view_.hasLine("I read, please wait ..."));
  EXPECT_TRUE(view_.hasLine("We all read "));
  const auto progress = view_.gaugeProgress(kIteGauge);
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 512);
  EXPECT_EQ(view_.gaugeColor(kIteGauge), colors::kLime);

  // The register cycles of the start, 512 page requests, then 'I'.
  const Bytes sent = sentAfterHandshake();
  const Bytes start = {'T',  'A', 0x27, 'W', 0x01, 'A', 0x27, 'W', 0x80, 'A', 0x04, 'W', 0xFF,
                       'A', 0x07, 'W', 0x7F, 'A', 0x06, 'W', 0xFF, 'A', 0x05, 'W', 0xFE,
                       'A', 0x08, 'W', 0x00, 'A', 0x05, 'W', 0xFD, 'A', 0x08, 'W', 0x0B,
                       'A', 0x08, 'W', 0x00, 'A', 0x08, 'W', 0x00, 'A', 0x08, 'W', 0x00,
                       'A', 0x08, 'W', 0x00};
  ASSERT_EQ(sent.size(), start.size() + 512 + 1);
  EXPECT_TRUE(std::equal(start.begin(), start.end(), sent.begin()));
  EXPECT_EQ(std::count(sent.begin() + start.size(), sent.end() - 1, 'r'), 512);
  EXPECT_EQ(sent.back(), 'I');

  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.allButtonsEnabled());
  EXPECT_FALSE(adapter_->isOpen());
  EXPECT_TRUE(view_.hasLineStartingWith("Current time  "));
}

TEST_F(IteRead, BadStatusOfPage37KeepsThe36PagesBeforeIt) {
  board_->setFaults({.badPageStatusAt = 37});
  ASSERT_TRUE(read("partial.bin"));
  EXPECT_FALSE(std::filesystem::exists(path("partial.bin")));
  EXPECT_TRUE(view_.hasLine("NOT a complete image, the data read so far is kept in: " +
                            path("partial.bin.partial") + " (9216 bytes)"));
  const Bytes file = readFile(path("partial.bin.partial"));
  EXPECT_EQ(file.size(), 9216u);
  EXPECT_TRUE(std::equal(file.begin(), file.end(), flashPattern().begin()));
  EXPECT_TRUE(view_.hasLine("Error reading block ->37"));
  EXPECT_FALSE(view_.hasLine("We all read "));
  EXPECT_EQ(sentAfterHandshake().back(), 'O');
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.allButtonsEnabled());
}

TEST_F(IteRead, StalledOrUnpluggedAdapterEndsTheReadAtItsBound) {
  // The adapter stops answering in the middle of page 3.
  const std::uint64_t startReplies = 1 + 13 * 2;  // 'o' to 'T' and to every cycle
  adapter_->setFaults({.stopAfterBytes = emu::tags::ite().size() + startReplies + 2 * 257 + 100});
  ASSERT_TRUE(read("stalled.bin"));
  EXPECT_TRUE(view_.hasLine("Error reading block ->3"));
  EXPECT_EQ(readFile(path("stalled.bin.partial")).size(), 512u);
  EXPECT_TRUE(tool_.mode().idle());

  adapter_->setFaults({.unplugAfterBytes = emu::tags::ite().size() + startReplies + 257 + 100});
  ASSERT_TRUE(read("unplugged.bin"));
  EXPECT_TRUE(view_.hasLine("Error reading block ->2"));
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.allButtonsEnabled());
}

TEST_F(IteRead, FileThatCannotBeWrittenIsAFailureNotASuccess) {
  setStorageFault(path("full.bin"), {.writeRoom = 0});  // a full disk
  view_.answerNextDialog(path("full.bin"));
  ASSERT_TRUE(tool_.startRead());
  runWorker();
  clearStorageFault(path("full.bin"));
  EXPECT_TRUE(std::filesystem::is_empty(path("")));  // nothing stored, nothing kept
  EXPECT_TRUE(view_.hasLine("Ошибка при записи файла. (RD_WR_FILE)"));
  EXPECT_FALSE(view_.hasLine("We all read "));
  EXPECT_EQ(sentAfterHandshake().back(), 'O');
  EXPECT_TRUE(tool_.mode().idle());
}

TEST_F(IteRead, CancelledDialogSignsOffWithFailureAndLeavesNoFile) {
  view_.answerNextDialog(std::nullopt);
  EXPECT_FALSE(tool_.startRead());
  EXPECT_TRUE(view_.hasLine("Reading canceled by the user. All we turn off. (RD_DLG)"));
  EXPECT_EQ(sentAfterHandshake(), Bytes{'O'});
  EXPECT_FALSE(adapter_->isOpen());
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.allButtonsEnabled());
  const auto dialogs = view_.dialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].kind, FileDialogSpec::Kind::kSave);
  EXPECT_EQ(dialogs[0].defaultName, "ITE_");
  EXPECT_EQ(dialogs[0].filter, "BIN файл (*.bin)|*.bin");
}

TEST_F(IteRead, FileThatCannotBeCreatedShowsTheMessageBox) {
  view_.answerNextDialog(path("no/such/dir/x.bin"));
  EXPECT_FALSE(tool_.startRead());
  EXPECT_TRUE(view_.hasLine("Ошибка при создании файла. (RD_CRT_DLG)"));
  EXPECT_EQ(view_.errorBoxes(), std::vector<std::string>{"Ошибка создания файла."});
  EXPECT_EQ(sentAfterHandshake(), Bytes{'O'});
}

TEST_F(IteRead, UnansweredAttachLeavesNoFileAndCode2F) {
  board_->setPowered(false);
  EXPECT_FALSE(read("empty.bin"));
  EXPECT_TRUE(view_.hasLine(
      "ITE chip we do not respond, check the connection and output settings. MB powered? (2F)"));
  // Nothing was read: nothing is created, not even an empty file.
  EXPECT_TRUE(std::filesystem::is_empty(path("")));
  EXPECT_EQ(sentAfterHandshake(), (Bytes{'T', 'O'}));
  EXPECT_TRUE(tool_.mode().idle());
}

TEST_F(IteRead, FailedSetupCycleIsReportedWithItsCode) {
  board_->setFaults({.writeFails = std::pair<std::uint8_t, std::uint8_t>{0x08, 0x0B}});
  EXPECT_FALSE(read("setup.bin"));
  EXPECT_EQ(view_.lines().back(),
            "ITE мульт нам не отвечает, проверяйте соединение и настройки выводов. MB "
            "запитана? (28)");
  EXPECT_EQ(sentAfterHandshake().back(), 'O');
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(IteRead, SecondPressDuringAReadAndExitAreIgnored) {
  view_.answerNextDialog(path("busy.bin"));
  ASSERT_TRUE(tool_.startRead());
  EXPECT_TRUE(view_.button(IteButton::kRead));
  EXPECT_FALSE(view_.button(IteButton::kSetup));
  EXPECT_FALSE(view_.button(IteButton::kExit));
  EXPECT_FALSE(tool_.startRead());
  EXPECT_FALSE(tool_.startWrite());
  EXPECT_FALSE(tool_.exitRequested());
  tool_.checkConnection();
  tool_.sendSettings();
  EXPECT_EQ(adapter_->openCount(), 1u);  // nothing took the worker's link away
  runWorker();
  EXPECT_TRUE(view_.hasLine("We all read "));
  EXPECT_TRUE(tool_.exitRequested());
  EXPECT_EQ(view_.clears(), 1);
}

TEST_F(IteRead, NoAdapterLeavesTheToolIdleWithNothingSent) {
  adapter_->unplug();
  EXPECT_FALSE(tool_.startRead());
  EXPECT_TRUE(view_.hasLine("VCOM port is not found on the machine!"));
  EXPECT_TRUE(view_.dialogs().empty());
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.allButtonsEnabled());
}

}  // namespace
}  // namespace tarvex::test
