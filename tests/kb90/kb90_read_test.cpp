// The connect step and the read of the whole flash into a file.

#include "frame/staged_image.h"
#include "tests/kb90/kb90_fixture.h"
#include "tools/kb90/kb90_messages.h"

namespace tarvex::kb90::test {
namespace {

using Kb90Read = Kb90Fixture;

TEST_F(Kb90Read, FullReadStoresTheFlashAndStreamsEveryBlock) {
  const Bytes flash = randomImage(131072, 1);
  controller_->setFlash(flash);
  const std::string file = path("flash.bin");
  ASSERT_TRUE(read(file));

  EXPECT_EQ(readFile(file), flash);
  // 'V', 'R' for block 1, 'N' for each of the other 511, then 'X' and 'I'.
  Bytes expected{'V', 'R'};
  expected.insert(expected.end(), 511, 'N');
  expected.insert(expected.end(), {'X', 'I'});
  EXPECT_EQ(sentAfterTag(), expected);

  EXPECT_EQ(view_.linesFrom(text::kControllerFound),
            (std::vector<std::string>{text::kControllerFound, "Embedded Debug Version ID = 12",
                                      text::kSaveFile, file, text::kReading, "Current time  ",
                                      text::kReadDone, "Current time  "}));
  const auto progress = view_.gaugeProgress();
  ASSERT_EQ(progress.size(), 513u);  // 0 at the start, then one step per block
  EXPECT_EQ(progress[1], 64);
  EXPECT_EQ(progress.back(), 32768);
  EXPECT_EQ(view_.gaugeColor(), colors::kLime);
  EXPECT_EQ(view_.dialogs().at(0).kind, FileDialogSpec::Kind::kSave);
  EXPECT_EQ(view_.dialogs().at(0).filter, "BIN файл KB901X (*.bin)|*.bin");
  EXPECT_EQ(view_.dialogs().at(0).defaultName, "Noname");
  // The read leaves its own button alone and gives back the other two.
  EXPECT_EQ(view_.buttonChanges(), (std::vector<std::pair<Kb90Button, bool>>{
                                       {Kb90Button::kWrite, false},
                                       {Kb90Button::kExit, false},
                                       {Kb90Button::kWrite, true},
                                       {Kb90Button::kExit, true}}));
  expectIdleAndClosed();
}

TEST_F(Kb90Read, ConnectStepAcceptsAnyVersionButFFh) {
  controller_->setDebugVersion(0x00);
  view_.answerNextDialog(std::nullopt);
  EXPECT_FALSE(run(true));
  EXPECT_TRUE(view_.hasLine("Embedded Debug Version ID = 0"));

  controller_->setFaults({.noController = true});
  EXPECT_FALSE(run(true));
  EXPECT_EQ(view_.linesFrom(""), (std::vector<std::string>{"", text::kNoController,
                                                           text::kCheckPower}));
  EXPECT_EQ(sentAfterTag(), (Bytes{'V', 'O'}));
  EXPECT_EQ(view_.dialogs().size(), 1u);  // only the first click got as far as the dialog
  expectIdleAndClosed();
}

TEST_F(Kb90Read, CancelledDialogClosesTheLinkWithoutOutcome) {
  view_.answerNextDialog(std::nullopt);
  EXPECT_FALSE(run(true));
  EXPECT_TRUE(view_.hasLine(text::kReadCancelled));
  EXPECT_EQ(sentAfterTag(), (Bytes{'V'}));
  expectIdleAndClosed();
}

TEST_F(Kb90Read, FileThatCannotBeCreatedShowsTheErrorBox) {
  EXPECT_FALSE(read(path("no/such/folder/flash.bin")));
  EXPECT_EQ(view_.errorBoxes(), std::vector<std::string>{"Ошибка создания файла."});
  EXPECT_EQ(sentAfterTag(), (Bytes{'V'}));
  expectIdleAndClosed();
}

TEST_F(Kb90Read, FullDiskIsAFailureNotASuccess) {
  const std::string file = path("full.bin");
  setStorageFault(file, {.writeRoom = 2 * 256 + 100});  // the disk fills up in block 3
  ASSERT_TRUE(read(file));
  clearStorageFault(file);
  EXPECT_FALSE(view_.hasLine(text::kReadDone));
  EXPECT_TRUE(view_.hasLine(text::kFileWriteFailed));
  // The stream is ended at the block that did not fit and the adapter told of the failure.
  EXPECT_EQ(sentAfterTag(), (Bytes{'V', 'R', 'N', 'N', 'X', 'O'}));
  // What did fit is kept, under a name nobody takes for a whole image.
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(readFile(file + ".partial").size(), 612u);
  EXPECT_TRUE(view_.hasLine("NOT a complete image, the data read so far is kept in: " + file +
                            ".partial (612 bytes)"));
  expectIdleAndClosed();
}

TEST_F(Kb90Read, StalledAdapterEndsTheReadAsAFailure) {
  controller_->setFaults({.silentAfterBlocks = 100});
  ASSERT_TRUE(read(path("stall.bin")));
  EXPECT_FALSE(view_.hasLine(text::kReadDone));
  EXPECT_TRUE(view_.hasLine(std::string(text::kNoAnswerAtBlock) + "101" + text::kOfBlocks));
  const Bytes sent = sentAfterTag();
  EXPECT_EQ(countOf(sent, 'N'), 100u);
  EXPECT_EQ(Bytes(sent.end() - 2, sent.end()), (Bytes{'X', 'O'}));
  EXPECT_TRUE(view_.linesFrom(text::kReading).back() == "Current time  ");
  expectIdleAndClosed();
}

TEST_F(Kb90Read, UnpluggedAdapterEndsTheReadAsAFailure) {
  // Tag (3 bytes), version byte, then ten blocks; the cable comes out in block 11.
  adapter_->setFaults({.unplugAfterBytes = 3 + 1 + 10 * 256 + 100});
  ASSERT_TRUE(read(path("unplug.bin")));
  EXPECT_TRUE(view_.hasLine(text::kLinkLost));
  EXPECT_FALSE(view_.hasLine(text::kReadDone));
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_TRUE(view_.enabled(Kb90Button::kExit));
}

TEST_F(Kb90Read, AByteTheAdapterWasNotAskedForFailsTheReadInsteadOfShiftingTheImage) {
  controller_->setFlash(randomImage(131072, 3));
  // Reply bytes of an open: the 3-byte tag, the version byte, then the blocks.
  auto lastByteOfBlock = [](std::uint64_t block) { return 3 + 1 + block * 256 - 1; };
  struct Case {
    const char* what;
    emu::FaultPlan plan;
    const char* line;
    std::size_t nextBlocks;
  };
  const Case cases[] = {
      {"queued with block 11", {.strayByteAfter = lastByteOfBlock(10) + 100},
       "Unexpected data from the programmer at block 11 of 512, the operation is interrupted!",
       10},
      {"arriving after block 300 was taken",
       {.strayByteAfter = lastByteOfBlock(300), .strayDelay = 5ms},
       "Unexpected data from the programmer at block 301 of 512, the operation is interrupted!",
       300},
      {"after the last block",
       {.strayByteAfter = lastByteOfBlock(512), .strayDelay = 5ms},
       "Unexpected data from the programmer at block 512 of 512, the operation is interrupted!",
       511},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    adapter_->setFaults(c.plan);
    adapter_->clearRecords();
    view_.clearLog();
    ASSERT_TRUE(read(path("stray.bin")));
    EXPECT_TRUE(view_.hasLine(c.line));
    EXPECT_FALSE(view_.hasLine("Reading completed successfully."));
    const Bytes sent = sentAfterTag();
    EXPECT_EQ(countOf(sent, 'N'), c.nextBlocks);
    EXPECT_EQ(countOf(sent, 'I'), 0u);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(Bytes(sent.end() - 2, sent.end()), (Bytes{'X', 'O'}));
    expectIdleAndClosed();
  }

  // A tag followed by a line end would hand '\r' to the connect step as the version and
  // shift the image by one: the adapter is refused before anything else is sent.
  adapter_->setFaults({.tagLineEnd = true});
  adapter_->clearRecords();
  view_.clearLog();
  EXPECT_FALSE(read(path("tag.bin")));
  EXPECT_TRUE(view_.hasLine("It is necessary to update the firmware programmer!"));
  EXPECT_EQ(adapter_->lastOpenReceived(), Bytes{'B'});
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(Kb90Read, SecondClickWhileBusyAndExitRules) {
  ASSERT_TRUE(tool_.exitClick());  // idle: leaves, clearing log and gauge
  EXPECT_EQ(view_.clears(), 1);
  EXPECT_EQ(view_.gaugeProgress().back(), 0);

  view_.answerNextDialog(path("busy.bin"));
  ASSERT_TRUE(tool_.readClick());
  tool_.beginTransfer();
  // The mode word says "Reading" until a worker ends the transfer: clicks are ignored.
  ASSERT_EQ(tool_.mode().get(), "Reading");
  EXPECT_FALSE(tool_.readClick());
  EXPECT_FALSE(tool_.writeClick());
  EXPECT_FALSE(tool_.exitClick());
  std::thread worker([this] { tool_.runWorker(); });
  worker.join();
  EXPECT_EQ(adapter_->openCount(), 1u);
  EXPECT_TRUE(view_.hasLine(text::kReadDone));
  EXPECT_EQ(view_.clears(), 2);  // the exit and the read, not the refused clicks
}

TEST_F(Kb90Read, WorkerWithoutATransferEndsByItself) {
  tool_.runWorker();  // nothing was prepared: returns after the hand-over bound
  EXPECT_TRUE(tool_.mode().idle());
  EXPECT_EQ(adapter_->openCount(), 0u);
}

}  // namespace
}  // namespace tarvex::kb90::test
