// The MEC16 read as the window and the command line run it: twice, compared. What a poor
// contact must never do: pass a damaged dump as good, or cost the technician the earlier
// dump at the chosen name or either of the two reads.

#include <gtest/gtest.h>

#include <algorithm>

#include "emulator/fault_plan.h"
#include "safety/image_compare.h"
#include "tests/mec16/mec16_fixture.h"
#include "tests/support/chain_on_workers.h"
#include "tools/mec16/mec16_double_read.h"
#include "tools/mec16/mec16_messages.h"

namespace tarvex::mec16::test {
namespace {

constexpr std::size_t kMain = 192 * 1024;

class Mec16DoubleReadTest : public Mec16Test {
 protected:
  void SetUp() override {
    Mec16Test::SetUp();
    chip_->setMain(pattern(kMain));
    chip_->fillInfo(0x3C);
  }
  // Runs the double read to its end, each read on a thread of its own; `beforeSecond` runs
  // between the two reads.
  bool readTwice(const std::string& file, bool withInfo,
                 const std::function<void()>& beforeSecond = {}) {
    view_.answerNextDialog(file);
    DoubleRead reads = mec16DoubleRead(tool_, view_, withInfo);
    PhaseChain chain = reads.chain();
    tarvex::test::runChainOnWorkers(chain, [&](int n) {
      if (n == 1 && beforeSecond) beforeSecond();
    });
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
  bool hasLineStartingWith(const std::string& prefix) const {
    const auto lines = view_.lines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }
};

// Two equal reads: one image at the chosen name and nothing else beside it; each read's
// session sends exactly what a single read sends.
TEST_F(Mec16DoubleReadTest, EqualReadsSaveOneImageEachSessionTheDocumentedRead) {
  view_.answerNextDialog(path("single.bin"));
  ASSERT_TRUE(tool_.startRead(true));
  runWorker();
  const Bytes singleRead = adapter_->lastOpenReceived();
  adapter_->clearRecords();

  ASSERT_TRUE(readTwice(path("dump.bin"), true));
  Bytes expected = chip_->mainFlash();
  const Bytes info = chip_->infoFlash();
  expected.insert(expected.end(), info.begin(), info.end());
  EXPECT_EQ(readFile(path("dump.bin")), expected);
  EXPECT_EQ(filesInDir(), (std::vector<std::string>{"dump.bin", "single.bin"}));
  const auto opens = adapter_->receivedPerOpen();
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens[0], singleRead);
  EXPECT_EQ(opens[1], singleRead);
  EXPECT_TRUE(hasLine(text::kDoubleRead.firstRead));
  EXPECT_TRUE(hasLine(text::kDoubleRead.secondRead));
  EXPECT_TRUE(hasLine(text::kDoubleRead.readsMatch));
}

// A flaky contact damages the first read only: the read fails naming how many bytes differ
// and where, the earlier dump stays at the chosen name, and both reads are kept under names
// no one takes for a good dump; a second such failure keeps the first pair too.
TEST_F(Mec16DoubleReadTest, ReadsThatDifferFailAndKeepEverything) {
  const Bytes earlier{1, 2, 3};
  writeFile(path("dump.bin"), earlier);
  for (int attempt = 1; attempt <= 2; ++attempt) {
    SCOPED_TRACE(attempt);
    view_.clearLog();
    adapter_->setFaults({.flaky = emu::FlakyContact{
                             .open = 0, .seed = 5, .from = 40000, .span = 64, .flips = 4}});
    EXPECT_FALSE(readTwice(path("dump.bin"), false));
    EXPECT_EQ(readFile(path("dump.bin")), earlier);
    const std::string suffix = attempt == 1 ? "" : ".2";
    const Bytes first = readFile(path("dump.bin.read1.mismatch" + suffix));
    EXPECT_EQ(readFile(path("dump.bin.read2.mismatch" + suffix)), chip_->mainFlash());
    ASSERT_EQ(first.size(), kMain);
    const auto differ = compareImage(first, chip_->mainFlash());
    ASSERT_TRUE(differ);
    EXPECT_TRUE(hasLine(std::string(text::kDoubleRead.differIn) + std::to_string(differ->count) +
                        text::kDoubleRead.firstAt + hexAddress(differ->firstAddress) +
                        text::kDoubleRead.checkContacts));
    EXPECT_FALSE(hasLine(text::kDoubleRead.readsMatch));
    EXPECT_EQ(view_.gaugeColor(0), colors::kRed);
  }
  EXPECT_EQ(filesInDir().size(), 5u);  // the dump and two pairs, no temporary file
}

// The second read breaks off: what it got is kept as the partial file, as a single read
// keeps it, and the whole first read beside it under a name that says it was not compared.
TEST_F(Mec16DoubleReadTest, ASecondReadThatFailsKeepsItsPartAndTheFirstRead) {
  EXPECT_FALSE(readTwice(path("dump.bin"), false,
                         [this] { adapter_->setFaults({.stopAfterBytes = 60000}); }));
  EXPECT_FALSE(std::filesystem::exists(path("dump.bin")));
  EXPECT_EQ(readFile(path("dump.bin.read1.unconfirmed")), chip_->mainFlash());
  const Bytes partial = readFile(path("dump.bin.partial"));
  ASSERT_FALSE(partial.empty());
  EXPECT_LT(partial.size(), kMain);
  EXPECT_TRUE(std::equal(partial.begin(), partial.end(), chip_->mainFlash().begin()));
  EXPECT_TRUE(hasLineStartingWith(text::kPartialKept));
  EXPECT_FALSE(hasLine(text::kDoubleRead.readsMatch));
}

// A file that cannot be made is refused before the adapter is touched.
TEST_F(Mec16DoubleReadTest, AFileThatCannotBeMadeIsRefusedBeforeTheAdapter) {
  EXPECT_FALSE(readTwice(path("missing/dump.bin"), false));
  EXPECT_TRUE(hasLine(text::kCreateFailed));
  EXPECT_EQ(adapter_->openCount(), 0u);
}

}  // namespace
}  // namespace tarvex::mec16::test
