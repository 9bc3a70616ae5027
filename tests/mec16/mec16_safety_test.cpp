// The MEC16 write and erase with their safety steps, run as the command line runs them:
// the backup before, the blank check, the read-back after, and the steps turned off.

#include <gtest/gtest.h>

#include <algorithm>

#include "safety/image_compare.h"
#include "safety/partly_changed_line.h"
#include "tests/mec16/mec16_fixture.h"
#include "tests/support/chain_on_workers.h"
#include "tools/mec16/mec16_messages.h"
#include "tools/mec16/mec16_safe_ops.h"

namespace tarvex::mec16::test {
namespace {

constexpr std::size_t kMain = 192 * 1024;
constexpr std::size_t kInfo = 2048;

class Mec16SafetyTest : public Mec16Test {
 protected:
  SafetyOptions options(bool verify = true, bool backup = true, bool force = false) {
    SafetyOptions o;
    o.verify = verify;
    o.backup = backup;
    o.force = force;
    o.backupsFolder = path("backups");
    return o;
  }
  // Runs a chain to its end, each work on a thread of its own as the worker would.
  static void run(PhaseChain& chain) { tarvex::test::runChainOnWorkers(chain); }
  bool write(const Bytes& image, const SafetyOptions& o) {
    writeFile(path("image.bin"), image);
    view_.answerNextDialog(path("image.bin"));
    PhaseChain chain = safe_.write(o, false);
    run(chain);
    return safe_.succeeded();
  }
  bool erase(bool withInfo, const SafetyOptions& o) {
    PhaseChain chain = safe_.erase(o, withInfo);
    run(chain);
    return safe_.succeeded();
  }
  // The backups, oldest name first.
  std::vector<std::filesystem::path> backups() const {
    std::vector<std::filesystem::path> found;
    if (!std::filesystem::exists(dir_ / "backups")) return found;
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / "backups")) {
      found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
      return a.string().size() != b.string().size() ? a.string().size() < b.string().size()
                                                    : a < b;
    });
    return found;
  }
  bool anyOpenSent(std::uint8_t byte) const {
    for (const Bytes& open : adapter_->receivedPerOpen()) {
      if (std::find(open.begin(), open.end(), byte) != open.end()) return true;
    }
    return false;
  }
  bool eraseCommandSent() const {
    const auto writes = chip_->registerWrites();
    return std::any_of(writes.begin(), writes.end(), [](const auto& w) {
      return w.first == 0xFF3908u && w.second == 0x107u;  // the erase mode
    });
  }

  Mec16SafeOps safe_{tool_, view_};
};

TEST_F(Mec16SafetyTest, AWriteIsBackedUpAndReadBackAndANonBlankChipIsNotWrittenOver) {
  const Bytes image = pattern(kMain, 11);
  ASSERT_TRUE(write(image, options()));
  EXPECT_EQ(chip_->mainFlash(), image);
  EXPECT_EQ(adapter_->openCount(), 3u);  // backup read, write, read-back
  EXPECT_TRUE(hasLine(text::kWriteDone));
  EXPECT_TRUE(hasLine(text::kSafety.verifyOk));
  auto saved = backups();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(readFile(saved[0].string()), Bytes(kMain, 0xFF));
  EXPECT_TRUE(hasLine(text::kSafety.backupSaved + saved[0].string()));
  EXPECT_TRUE(view_.questions().empty());

  // Written over without an erase, the chip would hold the AND of both images: the user is
  // asked, says No, and nothing is written. The first backup stays as it was.
  const Bytes second = pattern(kMain, 99);
  EXPECT_FALSE(write(second, options()));
  EXPECT_EQ(chip_->mainFlash(), image);
  EXPECT_TRUE(hasLine(text::kMainNotBlank));
  EXPECT_EQ(view_.questions().size(), 1u);
  EXPECT_EQ(adapter_->openCount(), 4u);
  saved = backups();
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(readFile(saved[0].string()), Bytes(kMain, 0xFF));
  EXPECT_EQ(readFile(saved[1].string()), image);

  // With backups off the blank check still reads the block first, and still refuses.
  EXPECT_FALSE(write(second, options(true, false)));
  EXPECT_EQ(chip_->mainFlash(), image);
  EXPECT_EQ(adapter_->openCount(), 5u);
  EXPECT_EQ(backups().size(), 2u);
}

TEST_F(Mec16SafetyTest, TheReadBackCatchesAChipThatStoresOtherBytes) {
  // The user goes on over a chip that was not erased: the flash keeps the AND of old and
  // new, which the adapter acknowledged block by block.
  Bytes old(kMain, 0xFF);
  for (std::size_t i = 0x1230; i < 0x1240; ++i) old[i] = 0x00;
  old[0x20001] = 0x7F;
  chip_->setMain(old);
  const Bytes image = pattern(kMain, 3);
  view_.answerQuestionsWith(true);

  EXPECT_FALSE(write(image, options()));
  EXPECT_TRUE(hasLine(text::kWriteDone));  // the documented write itself saw no fault
  EXPECT_FALSE(hasLine(text::kSafety.verifyOk));
  Bytes stored(kMain);
  for (std::size_t i = 0; i < kMain; ++i) stored[i] = old[i] & image[i];
  EXPECT_EQ(chip_->mainFlash(), stored);
  const auto mismatch = compareImage(stored, image);
  ASSERT_TRUE(mismatch);
  EXPECT_EQ(mismatch->firstAddress, 0x1230u);
  EXPECT_TRUE(hasLine(std::string(text::kSafety.mismatchAt) + "0x001230" +
                      text::kSafety.mismatchCount + std::to_string(mismatch->count) +
                      text::kSafety.mismatchEnd));
  EXPECT_EQ(view_.gaugeColor(), (Rgb{0xFF, 0, 0}));
  // The backup holds what the chip held before.
  ASSERT_EQ(backups().size(), 1u);
  EXPECT_EQ(readFile(backups()[0].string()), old);

  // A short image is compared with exactly what was sent: its padding included.
  chip_->fillMain(0xFF);
  const Bytes shortImage = pattern(1000, 5);
  view_.answerQuestionsWith(true);  // its size is asked about
  ASSERT_TRUE(write(shortImage, options()));
  Bytes padded = shortImage;
  padded.resize(1024, 0xFF);
  EXPECT_EQ(tool_.sentImage(), padded);
  EXPECT_TRUE(hasLine(text::kSafety.verifyOk));

  // Past a short image the block must read erased too: old firmware left there, written
  // over with the user's Yes, is no image written.
  Bytes oldTail(kMain, 0xFF);
  oldTail[0x10000] = 0x12;
  chip_->setMain(oldTail);
  view_.clearLog();
  EXPECT_FALSE(write(shortImage, options()));
  EXPECT_FALSE(hasLine(text::kSafety.verifyOk));
  EXPECT_TRUE(hasLine(std::string(text::kSafety.mismatchAt) + "0x010000" +
                      text::kSafety.mismatchCount + "1" + text::kSafety.mismatchEnd));
}

TEST_F(Mec16SafetyTest, AFailedBackupStopsBeforeAnythingIsErasedOrWritten) {
  const Bytes old = pattern(kMain, 8);
  chip_->setMain(old);
  chip_->setFaults({.badBlock = std::pair<std::uint32_t, int>{0, 5}});
  EXPECT_FALSE(erase(false, options()));
  EXPECT_TRUE(hasLine(text::kSafety.backupReadFailed));
  EXPECT_FALSE(eraseCommandSent());
  EXPECT_EQ(adapter_->openCount(), 1u);

  chip_->fillMain(0xFF);
  EXPECT_FALSE(write(pattern(kMain, 2), options()));
  EXPECT_FALSE(anyOpenSent('W'));
  EXPECT_EQ(chip_->mainFlash(), Bytes(kMain, 0xFF));
  EXPECT_TRUE(backups().empty());

  // A backup that reads well but cannot be saved stops the erase as well.
  chip_->setFaults({});
  chip_->setMain(old);
  writeFile(path("backups"), {1, 2, 3});  // a file where the folder should be
  EXPECT_FALSE(erase(false, options()));
  EXPECT_TRUE(view_.hasLineStartingWith(text::kSafety.backupNotSaved));
  EXPECT_FALSE(eraseCommandSent());
  EXPECT_EQ(chip_->mainFlash(), old);
}

TEST_F(Mec16SafetyTest, AnEraseKeepsBothBlocksAndChecksThemBlank) {
  const Bytes main = pattern(kMain, 4);
  chip_->setMain(main);
  chip_->fillInfo(0x5A);
  ASSERT_TRUE(erase(true, options()));
  EXPECT_TRUE(hasLine(text::kEraseDone));
  EXPECT_TRUE(hasLine(text::kSafety.blankOk));
  EXPECT_EQ(adapter_->openCount(), 3u);
  ASSERT_EQ(backups().size(), 1u);
  Bytes expected = main;
  expected.insert(expected.end(), kInfo, 0x5A);
  EXPECT_EQ(readFile(backups()[0].string()), expected);
  EXPECT_EQ(chip_->infoFlash(), Bytes(kInfo, 0xFF));

  // A refused erase (write protection) is not checked for blank, nor claimed done.
  chip_->setMain(main);
  chip_->setStatusBits(0x10);
  EXPECT_FALSE(erase(false, options()));
  EXPECT_EQ(adapter_->openCount(), 5u);  // backup read and the refused erase only
  EXPECT_EQ(chip_->mainFlash(), main);
}

TEST_F(Mec16SafetyTest, StepsTurnedOffAddNoByteToTheDocumentedSequences) {
  // The documented write and erase alone, as the tool's own handlers run them.
  const Bytes image = pattern(kMain, 6);
  writeFile(path("plain.bin"), image);
  view_.answerNextDialog(path("plain.bin"));
  ASSERT_TRUE(tool_.startWrite(false));
  runWorker();
  const Bytes documentedWrite = adapter_->lastOpenReceived();
  ASSERT_TRUE(tool_.erase(false));
  const Bytes documentedErase = adapter_->lastOpenReceived();

  chip_->fillMain(0x00);  // not blank: forced, the write goes on without a look
  const std::size_t before = adapter_->openCount();
  ASSERT_TRUE(write(image, options(false, false, true)));
  EXPECT_EQ(adapter_->openCount(), before + 1);
  EXPECT_EQ(adapter_->lastOpenReceived(), documentedWrite);
  ASSERT_TRUE(erase(false, options(false, false, true)));
  EXPECT_EQ(adapter_->openCount(), before + 2);
  EXPECT_EQ(adapter_->lastOpenReceived(), documentedErase);
  EXPECT_TRUE(backups().empty());
}

TEST_F(Mec16SafetyTest, AWriteOrEraseCutShortSaysTheFlashIsPartlyChanged) {
  // A block the adapter never acknowledges, a third of the way through the write.
  chip_->setFaults({.badAckAtBlock = 64});
  EXPECT_FALSE(write(pattern(kMain, 7), options()));
  auto saved = backups();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(view_.lines().back(), partlyChangedLine(text::kPartlyWritten, saved[0].string()));

  // An erase that never reports done: the flash may be anything between old and blank.
  chip_->setFaults({});
  const Bytes old = pattern(kMain, 8);
  chip_->setMain(old);
  chip_->setEraseBusyPolls(~std::uint64_t{0});
  EXPECT_FALSE(erase(false, options(true, false)));
  EXPECT_EQ(view_.lines().back(), text::kPartlyErased.line);

  // Refused by the write protection before the erase command: nothing changed, no line.
  view_.clearLog();
  chip_->setEraseBusyPolls(0);
  chip_->setStatusBits(0x10);
  EXPECT_FALSE(erase(false, options()));
  EXPECT_EQ(chip_->mainFlash(), old);
  EXPECT_FALSE(view_.hasLineStartingWith(text::kPartlyErased.line));
}

}  // namespace
}  // namespace tarvex::mec16::test
