// The EDID read as the window and the command line run it: twice, compared, and the save
// dialog once, after the adapter is done. What a poor contact must never do: pass a damaged
// image as good, cost the technician the earlier file at the chosen name, or lose a read.

#include <gtest/gtest.h>

#include <algorithm>

#include "emulator/fault_plan.h"
#include "safety/image_compare.h"
#include "base/printable.h"
#include "tests/edid/edid_bench.h"
#include "tests/support/chain_on_workers.h"
#include "tools/edid/edid_double_read.h"
#include "tools/edid/edid_messages.h"
#include "tools/edid/hex_dump.h"

namespace tarvex::test {
namespace {

namespace msg = edid::msg;
const DoubleReadTexts& kTexts = msg::kDoubleRead;

class EdidDoubleRead : public EdidBench {
 protected:
  // Runs the double read to its end, each read on a thread of its own; `beforeWork(n)` runs
  // before the n-th read.
  bool readTwice(const std::optional<std::string>& answer,
                 const std::function<void(int)>& beforeWork = {}) {
    view_.answerNextDialog(answer);
    DoubleRead reads = edid::edidDoubleRead(tool_, view_);
    PhaseChain chain = reads.chain();
    runChainOnWorkers(chain, beforeWork);
    return reads.succeeded();
  }
  std::vector<std::string> filesInDir() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  long indexOf(const std::string& line) const {
    const auto lines = view_.lines();
    const auto at = std::find(lines.begin(), lines.end(), line);
    return at == lines.end() ? -1 : static_cast<long>(at - lines.begin());
  }
  long count(const std::string& line) const {
    const auto lines = view_.lines();
    return static_cast<long>(std::count(lines.begin(), lines.end(), line));
  }
};

// Equal reads: each session is the single read's bytes to the last one, the dialog is asked
// once after both have ended, the dump is shown once before it and the decode after the
// save, and only the image is left in the folder.
TEST_F(EdidDoubleRead, EqualReadsAreTwoDocumentedSessionsThenOneDialogAndOneFile) {
  view_.answerNextDialog(std::nullopt);
  tool_.read();
  const Bytes singleRead = adapter_->lastOpenReceived();
  ASSERT_EQ(singleRead, (Bytes{'B', 'E', 'r', 'I'}));
  adapter_->clearRecords();
  const std::size_t dialogsBefore = view_.dialogs().size();

  ASSERT_TRUE(readTwice(path("panel.bin")));
  EXPECT_EQ(adapter_->receivedPerOpen(), (std::vector<Bytes>{singleRead, singleRead}));
  EXPECT_EQ(fileBytes(path("panel.bin")), contents());
  EXPECT_EQ(filesInDir(), std::vector<std::string>{"panel.bin"});
  ASSERT_EQ(view_.dialogs().size(), dialogsBefore + 1);
  EXPECT_EQ(view_.dialogs().back().kind, FileDialogSpec::Kind::kSave);
  EXPECT_EQ(view_.clears(), 2);  // the single read's and this one's

  const auto dump = edid::hexDump(emu::demoPanelEeprom());
  ASSERT_EQ(dump.size(), 17u);  // an empty line, then the 16 rows
  EXPECT_EQ(count(dump[1]), 1);
  EXPECT_EQ(count(msg::kReadDone), 2);
  // First read, second read, the dump, the file named, the match, then the decode.
  const long second = indexOf(kTexts.secondRead);
  EXPECT_LT(indexOf(kTexts.firstRead), second);
  EXPECT_LT(second, indexOf(dump[1]));
  EXPECT_LT(indexOf(dump[16]), indexOf(msg::kSaveFile));
  EXPECT_EQ(indexOf(msg::kSaveFile) + 1, indexOf(path("panel.bin")));
  EXPECT_LT(indexOf(path("panel.bin")), indexOf(kTexts.readsMatch));
  EXPECT_EQ(lastLineBeforeDecode(), kTexts.readsMatch);
}

// A flaky contact damages the first read only: the read fails naming where the two differ,
// both reads are kept beside the file chosen after the compare, and the earlier file there
// stays as it was. Neither read is dumped, named as the image or decoded. Both sessions
// ended with 'I': the verdict is on two reads that completed.
TEST_F(EdidDoubleRead, ReadsThatDifferFailKeepBothReadsAndLeaveTheChosenFile) {
  const Bytes earlier{1, 2, 3};
  writeFile(path("panel.bin"), earlier);
  adapter_->setFaults({.flaky = emu::FlakyContact{
                           .open = 0, .seed = 9, .from = 3 + 40, .span = 100, .flips = 3}});
  EXPECT_FALSE(readTwice(path("panel.bin")));
  EXPECT_EQ(fileBytes(path("panel.bin")), earlier);
  const Bytes first = fileBytes(path("panel.bin.read1.mismatch"));
  EXPECT_EQ(fileBytes(path("panel.bin.read2.mismatch")), contents());
  EXPECT_EQ(filesInDir().size(), 3u);  // no temporary file
  const auto differ = compareImage(first, contents());
  ASSERT_TRUE(differ);
  // Said before the dialog, which then names where the reads are kept, not an image.
  const long said = indexOf(std::string(kTexts.differIn) + std::to_string(differ->count) +
                            kTexts.firstAt + hexAddress(differ->firstAddress) +
                            kTexts.checkContacts);
  ASSERT_GE(said, 0);
  EXPECT_EQ(indexOf(kTexts.readKept + printable(path("panel.bin.read1.mismatch"))), said + 1);
  EXPECT_EQ(view_.dialogs().size(), 1u);
  EXPECT_EQ(indexOf(kTexts.readsMatch), -1);
  EXPECT_EQ(indexOf(msg::kSaveFile), -1);
  EXPECT_EQ(indexOf(edid::hexDump(emu::demoPanelEeprom())[1]), -1);
  EXPECT_EQ(indexOf("Manufacturer: TVX"), -1);
  for (const Bytes& open : adapter_->receivedPerOpen()) EXPECT_EQ(open.back(), 'I');
}

// A read that fails ends as the single read does: its failure named, 'O' sent, no dialog,
// and nothing written anywhere; the first read, never compared, is not offered as the image.
TEST_F(EdidDoubleRead, AFailedReadAsksNoDialogAndLeavesNothing) {
  for (int failing = 0; failing < 2; ++failing) {
    SCOPED_TRACE(failing);
    view_.clearLog();
    adapter_->clearRecords();
    EXPECT_FALSE(readTwice(path("panel.bin"), [&](int n) {
      adapter_->setFaults(n == failing ? emu::FaultPlan{.stopAfterBytes = 3 + 100}
                                       : emu::FaultPlan{});
    }));
    adapter_->setFaults({});
    EXPECT_TRUE(view_.dialogs().empty());
    EXPECT_EQ(lastLine(), msg::readReplyIncomplete(100, 258));
    EXPECT_EQ(adapter_->receivedPerOpen().size(), static_cast<std::size_t>(failing + 1));
    EXPECT_EQ(adapter_->lastOpenReceived(), (Bytes{'B', 'E', 'r', 'O'}));
    EXPECT_TRUE(filesInDir().empty());
  }
}

}  // namespace
}  // namespace tarvex::test
