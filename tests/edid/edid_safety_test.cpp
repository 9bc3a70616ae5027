// The EDID write with its safety steps, run as the command line runs them: the image
// checks before the adapter is touched, the backup before the write, the read-back after
// it, and the checksum corrected only when asked for.

#include <gtest/gtest.h>


#include "safety/image_checks.h"
#include "tests/edid/edid_bench.h"
#include "tests/support/chain_on_workers.h"
#include "tools/edid/edid_image_check.h"
#include "tools/edid/edid_messages.h"
#include "tools/edid/edid_safe_ops.h"

namespace tarvex::test {
namespace {

namespace msg = edid::msg;

class EdidSafety : public EdidBench {
 protected:
  SafetyOptions options(bool verify = true, bool backup = true, bool force = false) {
    SafetyOptions o;
    o.verify = verify;
    o.backup = backup;
    o.force = force;
    o.backupsFolder = path("backups");
    return o;
  }
  // Runs the chain, each work on a thread of its own as the worker would; before the k-th
  // work (from 0) `beforeWork` may change the adapter.
  bool write(const Bytes& file, const SafetyOptions& o, bool fixChecksum = false,
             std::function<void(int)> beforeWork = {}) {
    writeFile(path("image.bin"), file);
    view_.answerNextDialog(path("image.bin"));
    PhaseChain chain = safe_.write(o, fixChecksum);
    runChainOnWorkers(chain, beforeWork);
    return safe_.succeeded();
  }
  // Another panel's EDID (another product code), its checksum right unless told.
  static Bytes otherPanel(bool checksumRight = true) {
    const auto demo = emu::demoPanelEeprom();
    Bytes image(demo.begin(), demo.end());
    image[10] ^= 0x5A;
    image = edid::withCorrectedChecksum(image);
    if (!checksumRight) image[127] ^= 0x01;
    return image;
  }
  std::vector<std::filesystem::path> backups() const {
    std::vector<std::filesystem::path> found;
    if (!std::filesystem::exists(dir_ / "backups")) return found;
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "backups")) {
      found.push_back(e.path());
    }
    return found;
  }
  bool anyWriteSent() const {
    for (const Bytes& open : adapter_->receivedPerOpen()) {
      if (open.size() >= 3 && open[1] == 'E' && open[2] == 'w') return true;
    }
    return false;
  }
  std::size_t lineIndex(const std::string& line) const {
    const auto lines = view_.lines();
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
  }

  edid::EdidSafeOps safe_{tool_, view_};
};

TEST_F(EdidSafety, AWriteIsDecodedBackedUpAndReadBack) {
  const Bytes before = contents();
  const Bytes image = otherPanel();
  ASSERT_TRUE(write(image, options()));
  EXPECT_EQ(contents(), image);

  // A read, the documented write, a read: each its own session on the link.
  const auto opens = adapter_->receivedPerOpen();
  ASSERT_EQ(opens.size(), 3u);
  EXPECT_EQ(opens[0], (Bytes{'B', 'E', 'r', 'I'}));
  // Built by size rather than by insert, which trips a false array-bounds warning in GCC 12.
  Bytes documented(3 + image.size() + 1, 'I');
  documented[0] = 'B';
  documented[1] = 'E';
  documented[2] = 'w';
  std::copy(image.begin(), image.end(), documented.begin() + 3);
  EXPECT_EQ(opens[1], documented);
  EXPECT_EQ(opens[2], (Bytes{'B', 'E', 'r', 'I'}));

  // The old EDID is kept, named in the log; the verdict comes last; the decode of what is
  // written comes before anything goes out.
  const auto saved = backups();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(fileBytes(saved[0].string()), before);
  EXPECT_TRUE(view_.hasLine(msg::kSafety.backupSaved + saved[0].string()));
  EXPECT_EQ(lastLine(), msg::kSafety.verifyOk);
  EXPECT_LT(lineIndex("Manufacturer: TVX"), lineIndex(msg::kBackupRead));
  EXPECT_LT(lineIndex(msg::kBackupRead), lineIndex(msg::kWriting));
  EXPECT_TRUE(view_.questions().empty());
}

TEST_F(EdidSafety, TheReadBackComparesExactlyTheBytesSent) {
  // The contact goes bad for the read-back: byte 10h comes back flipped.
  const Bytes image = otherPanel();
  EXPECT_FALSE(write(image, options(), false, [&](int work) {
    if (work == 2) adapter_->setFaults({.corruptByteAt = 3 + 0x10, .corruptMask = 0x04});
  }));
  EXPECT_TRUE(view_.hasLine(msg::kWriteDone));  // the documented write saw no fault
  EXPECT_EQ(lastLine(), std::string(msg::kSafety.mismatchAt) + "0x000010" + msg::kSafety.mismatchCount +
                            "1" + msg::kSafety.mismatchEnd);
  adapter_->setFaults({});

  // A short file: what is compared is what was sent, its FFh padding included. A panel
  // that kept its old bytes past the file's end would fail here.
  Bytes base(image.begin(), image.begin() + 128);
  Bytes padded = base;
  padded.resize(256, 0xFF);
  view_.answerQuestionsWith(true);  // its size is asked about
  ASSERT_TRUE(write(base, options()));
  EXPECT_EQ(Bytes(tool_.sentImage().begin(), tool_.sentImage().end()), padded);
  EXPECT_EQ(contents(), padded);
  EXPECT_EQ(lastLine(), msg::kSafety.verifyOk);

  // With the read-back off, nothing after the write, and the log says so.
  const std::size_t opens = adapter_->openCount();
  ASSERT_TRUE(write(image, options(false, false)));
  EXPECT_EQ(adapter_->openCount(), opens + 1);
  EXPECT_EQ(lastLine(), msg::kWriteNotVerified);
}

TEST_F(EdidSafety, PlainlyWrongImagesAreAskedAboutBeforeTheAdapterIsTouched) {
  const Bytes before = contents();
  const Bytes panel = otherPanel();
  const Bytes noHeader = [] {
    Bytes b = otherPanel();
    b[0] = 0x20;
    return edid::withCorrectedChecksum(b);
  }();
  struct Case {
    Bytes file;
    std::string finding;
  };
  const Case cases[] = {
      {Bytes(256, 0xFF), check_text::kBlankErased},
      {Bytes(256, 0x00), check_text::kBlankZero},
      {noHeader, msg::kNoEdidHeader},
      {Bytes(panel.begin(), panel.begin() + 200), check_text::sizeDiffers(200, 256)},
  };
  for (const Case& c : cases) {
    const std::size_t asked = view_.questions().size();
    EXPECT_FALSE(write(c.file, options()));
    EXPECT_TRUE(view_.hasLine(c.finding)) << c.finding;
    EXPECT_EQ(view_.questions().size(), asked + 1) << c.finding;
    EXPECT_EQ(lastLine(), msg::kSafety.cancelled);
  }
  EXPECT_EQ(adapter_->openCount(), 0u);

  // A wrong checksum offers its correction as a third answer. No: nothing happens.
  const Bytes wrong = otherPanel(false);
  const auto checksum = edid::baseBlockChecksum(wrong);
  EXPECT_FALSE(write(wrong, options()));
  EXPECT_EQ(adapter_->openCount(), 0u);
  EXPECT_TRUE(view_.hasLine(msg::checksumWrong(checksum->stored, checksum->correct)));

  // Correct it: the corrected image is what goes out and is verified; the file stays.
  view_.answerThreeWayWith(Answer::kOther);
  ASSERT_TRUE(write(wrong, options(true, false)));
  EXPECT_EQ(contents(), otherPanel(true));
  EXPECT_EQ(fileBytes(path("image.bin")), wrong);
  EXPECT_TRUE(view_.hasLine(msg::checksumCorrected(checksum->stored, checksum->correct)));
  EXPECT_EQ(lastLine(), msg::kSafety.verifyOk);

  // Yes writes it as it is; so does --force, without asking; --fix-checksum corrects it
  // without asking.
  view_.answerThreeWayWith(Answer::kYes);
  ASSERT_TRUE(write(wrong, options(true, false)));
  EXPECT_EQ(contents(), wrong);
  const std::size_t asked = view_.questions().size();
  view_.answerThreeWayWith(Answer::kNo);
  ASSERT_TRUE(write(wrong, options(true, false, true)));
  EXPECT_EQ(contents(), wrong);
  ASSERT_TRUE(write(wrong, options(true, false), true));
  EXPECT_EQ(contents(), otherPanel(true));
  EXPECT_EQ(view_.questions().size(), asked);
  EXPECT_NE(contents(), before);
}

TEST_F(EdidSafety, AFailedBackupStopsTheWriteBeforeAnyByteOfIt) {
  // No panel answers the backup read.
  eeprom_->setPanelPresent(false);
  EXPECT_FALSE(write(otherPanel(), options()));
  EXPECT_EQ(lastLine(), msg::kSafety.backupReadFailed);
  EXPECT_EQ(adapter_->openCount(), 1u);

  // The backup cannot be stored: a file stands where the folder should be.
  eeprom_->setPanelPresent(true);
  const Bytes before = contents();
  writeFile(path("backups"), {1});
  EXPECT_FALSE(write(otherPanel(), options()));
  EXPECT_EQ(view_.lines().back().rfind(msg::kSafety.backupNotSaved, 0), 0u) << lastLine();
  EXPECT_FALSE(anyWriteSent());
  EXPECT_EQ(contents(), before);
}

TEST_F(EdidSafety, AWriteCutOffAfterItsDataSaysThePanelMayBePartlyWrittenAndNamesTheBackup) {
  // The tag and the write's ready byte come, the two status letters never do.
  EXPECT_FALSE(write(otherPanel(), options(), false, [&](int work) {
    if (work == 1) adapter_->setFaults({.stopAfterBytes = 4});
  }));
  const auto saved = backups();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(lastLine(), std::string(msg::kPartlyWritten.line) + msg::kPartlyWritten.backupLead +
                            saved[0].string());
}

}  // namespace
}  // namespace tarvex::test
