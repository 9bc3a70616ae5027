// The ITE write with its safety steps, run as the command line runs them: the backup of
// the old firmware, the read-back after the write, and what a write cut short leaves.

#include <gtest/gtest.h>

#include "safety/partly_changed_line.h"
#include "safety/safe_change.h"
#include "tests/ite/ite_fixture.h"
#include "tests/support/chain_on_workers.h"
#include "tools/ite/ite_messages.h"
#include "tools/ite/ite_safe_write.h"

namespace tarvex::test {
namespace {

constexpr std::size_t kFlash = IteTool::kFlashSize;

class IteSafety : public IteBench {
 protected:
  void SetUp() override {
    IteBench::SetUp();
    settingsInAdapter();
  }
  SafetyOptions options(bool verify, bool backup) const {
    SafetyOptions o;
    o.verify = verify;
    o.backup = backup;
    o.backupsFolder = path("backups");
    return o;
  }
  // Runs the write chain, each work on a thread of its own as the worker would; after the
  // work numbered `meddleAfter` (0 the first) `meddle` runs, as the world might meanwhile.
  bool write(const Bytes& image, const SafetyOptions& o, int meddleAfter = -1,
             const std::function<void()>& meddle = {}) {
    writeFile(path("image.bin"), image);
    view_.answerNextDialog(path("image.bin"));
    PhaseChain chain = safe_.chain(o);
    runChainOnWorkers(chain, {}, [&](int n) {
      if (n == meddleAfter) meddle();
    });
    return safe_.succeeded();
  }
  std::vector<std::filesystem::path> backups() const {
    std::vector<std::filesystem::path> found;
    if (!std::filesystem::exists(dir_ / "backups")) return found;
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / "backups")) {
      found.push_back(entry.path());
    }
    return found;
  }
  static Bytes sparseImage(unsigned seed) {
    Bytes image(kFlash, 0xFF);
    for (std::size_t i = 0; i < 2000; ++i) {
      image[(i * 61 + seed) % kFlash] = static_cast<std::uint8_t>(i + seed);
    }
    return image;
  }

  SafeChange safe_ = iteSafeWrite(tool_, view_);
};

TEST_F(IteSafety, TheOldFirmwareIsKeptAndTheReadBackCatchesAFlashHoldingOtherBytes) {
  const Bytes old(kFlash, 0x5A);
  board_->setFlash(old);
  const Bytes image = sparseImage(3);
  ASSERT_TRUE(write(image, options(true, true)));
  EXPECT_EQ(board_->flash(), image);
  EXPECT_EQ(adapter_->openCount(), 3u);  // backup read, write, read-back
  EXPECT_TRUE(view_.hasLine(ite_text::kWriteDone));
  EXPECT_TRUE(view_.hasLine(ite_text::kSafety.verifyOk));
  ASSERT_EQ(backups().size(), 1u);
  EXPECT_EQ(readFile(backups()[0].string()), old);
  EXPECT_TRUE(view_.hasLine(ite_text::kSafety.backupSaved + backups()[0].string()));

  // A cell that does not keep what was programmed: the write itself saw no fault, the
  // read-back names the first differing address, and the run fails.
  view_.clearLog();
  board_->setFlash(old);
  const bool verified = write(image, options(true, true), 1, [&] {
    Bytes held = board_->flash();
    held[0x1F00] ^= 0x10;  // a blank byte of the image that now reads EFh
    held[0x1F05] ^= 0x01;
    board_->setFlash(held);
  });
  EXPECT_FALSE(verified);
  EXPECT_FALSE(view_.hasLine(ite_text::kSafety.verifyOk));
  EXPECT_TRUE(view_.hasLine(std::string(ite_text::kSafety.mismatchAt) + "0x001F00" +
                            ite_text::kSafety.mismatchCount + "2" +
                            ite_text::kSafety.mismatchEnd));
  EXPECT_EQ(view_.gaugeColor(kIteGauge), colors::kRed);
  EXPECT_EQ(backups().size(), 2u);
}

TEST_F(IteSafety, AShortImageIsAskedAboutAndComparedWithItsPadding) {
  board_->setFlash(Bytes(kFlash, 0x00));
  const Bytes cut(1000, 0x42);
  EXPECT_FALSE(write(cut, options(true, true)));  // asked about its size: No
  EXPECT_EQ(adapter_->openCount(), 0u);
  EXPECT_TRUE(view_.hasLine(check_text::sizeDiffers(1000, kFlash)));
  EXPECT_TRUE(view_.hasLine(ite_text::kSafety.cancelled));
  EXPECT_EQ(board_->flash(), Bytes(kFlash, 0x00));

  view_.answerQuestionsWith(true);
  ASSERT_TRUE(write(cut, options(true, false)));
  Bytes padded = cut;
  padded.resize(kFlash, 0xFF);
  EXPECT_EQ(tool_.sentImage(), padded);
  EXPECT_EQ(board_->flash(), padded);
  EXPECT_TRUE(view_.hasLine(ite_text::kSafety.verifyOk));
}

TEST_F(IteSafety, AWriteCutShortAfterTheEraseSaysTheFlashIsPartlyWritten) {
  const Bytes old(kFlash, 0x11);
  board_->setFlash(old);
  board_->setFaults({.flashByteRefusedAt = 700});
  EXPECT_FALSE(write(sparseImage(5), options(true, true)));
  EXPECT_TRUE(view_.hasLine(ite_text::kByteRefused));
  ASSERT_EQ(backups().size(), 1u);
  EXPECT_EQ(readFile(backups()[0].string()), old);
  EXPECT_TRUE(view_.hasLine(partlyChangedLine(ite_text::kPartlyWritten, backups()[0].string())));
  EXPECT_EQ(adapter_->openCount(), 2u);  // no read-back of a failed write

  // Without a backup the line names none.
  EXPECT_FALSE(write(sparseImage(5), options(true, false)));
  EXPECT_TRUE(view_.hasLine(ite_text::kPartlyWritten.line));

  // A write that fails before its erase (the write enable refused) leaves the firmware
  // whole: no such line.
  view_.clearLog();
  board_->setFlash(old);
  board_->setFaults({.writeFails = std::pair<std::uint8_t, std::uint8_t>{0x08, 0x06}});
  const int erasesBefore = board_->eraseCount();
  EXPECT_FALSE(write(sparseImage(5), options(true, true)));
  EXPECT_TRUE(view_.hasLineStartingWith(ite_text::kNoChipRussian));
  EXPECT_EQ(board_->flash(), old);
  EXPECT_EQ(board_->eraseCount(), erasesBefore);
  EXPECT_FALSE(view_.hasLineStartingWith(ite_text::kPartlyWritten.line));
  board_->setFaults({.attachSilent = true});

  // Nor does a backup read that fails: nothing was erased.
  const int erases = board_->eraseCount();
  EXPECT_FALSE(write(sparseImage(5), options(true, true)));
  EXPECT_TRUE(view_.hasLine(ite_text::kSafety.backupReadFailed));
  EXPECT_FALSE(view_.hasLineStartingWith(ite_text::kPartlyWritten.line));
  EXPECT_EQ(board_->eraseCount(), erases);
}

}  // namespace
}  // namespace tarvex::test
