// A read's image file: the chosen name holds a whole image or what it held before, never a
// part of one, and what a failed read received is kept beside it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "frame/image_file.h"
#include "frame/staged_image.h"
#include "tests/support/test_platform.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class StagedImageTest : public testing::Test {
 protected:
  fs::path dir_ = fs::temp_directory_path() / ("tarvex_staged_" + std::to_string(::getpid()));
  std::string target_ = (dir_ / "dump.bin").string();
  const Bytes earlier_ = Bytes(300, 0x5A);
  const Bytes image_ = Bytes(1000, 0xC3);

  void SetUp() override {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    clearStorageFault(target_);
    fs::remove_all(dir_);
  }
  static void put(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static Bytes get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  std::set<std::string> names() const {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_)) found.insert(entry.path().filename().string());
    return found;
  }
};

TEST_F(StagedImageTest, OnlyAWholeFlushedImageReplacesTheEarlierFile) {
  put(target_, earlier_);
  StagedImage staged;
  ASSERT_TRUE(staged.begin(target_));
  ASSERT_TRUE(staged.write(image_.data(), 600));
  EXPECT_EQ(get(target_), earlier_);  // nothing changes under the name while the image grows
  ASSERT_TRUE(staged.write(image_.data() + 600, 400));
  ASSERT_TRUE(staged.commit());
  EXPECT_FALSE(staged.abandon());  // nothing left to keep
  EXPECT_EQ(get(target_), image_);
  EXPECT_EQ(names(), std::set<std::string>{"dump.bin"});  // no temporary left behind
}

// Every way the end of a save can fail: the earlier file stays, the bytes are kept beside
// it under a name of their own, and a second failure never replaces the first one's.
TEST_F(StagedImageTest, AFailedSaveKeepsTheEarlierFileAndThePartialBytesApart) {
  struct Case {
    const char* what;
    StorageFault fault;
    bool committed;  // the failure shows at commit() rather than at write()
  };
  const Case cases[] = {
      {"disk full", {.writeRoom = 700}, false},
      {"flush fails", {.flushFails = true}, true},
      {"rename fails", {.renameFails = true}, true},
  };
  put(target_, earlier_);
  std::set<std::string> expected{"dump.bin"};
  long long keptBytes[] = {700, 1000, 1000};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    setStorageFault(target_, cases[i].fault);
    StagedImage staged;
    ASSERT_TRUE(staged.begin(target_));
    const bool written = staged.write(image_.data(), image_.size());
    EXPECT_EQ(written, cases[i].committed);
    if (written) {
      EXPECT_FALSE(staged.commit());
    }
    const auto kept = staged.abandon();
    ASSERT_TRUE(kept);
    const std::string name = i == 0 ? "dump.bin.partial" : "dump.bin.partial." + std::to_string(i + 1);
    EXPECT_EQ(kept->path, (dir_ / name).string());
    EXPECT_EQ(kept->bytes, keptBytes[i]);
    EXPECT_EQ(get(kept->path), Bytes(image_.begin(), image_.begin() + keptBytes[i]));
    expected.insert(name);
    EXPECT_EQ(get(target_), earlier_);
    EXPECT_EQ(names(), expected);
  }
  EXPECT_EQ(get((dir_ / "dump.bin.partial").string()).size(), 700u);  // the first kept as it was
}

TEST_F(StagedImageTest, AFailureBeforeAnyByteLeavesNothingBehind) {
  StagedImage staged;
  ASSERT_TRUE(staged.begin(target_));
  EXPECT_FALSE(staged.abandon());
  {
    StagedImage dropped;  // an image dropped unended goes the same way
    ASSERT_TRUE(dropped.begin(target_));
  }
  EXPECT_TRUE(names().empty());
}

// A target that is not a regular file, or that another operation holds, is refused before
// anything is created or changed: a FIFO must not block, a held file must not be emptied.
TEST_F(StagedImageTest, RefusesTargetsItMustNotReplaceAndChangesNothing) {
  const std::string fifo = (dir_ / "fifo").string();
  fs::create_directory(dir_ / "folder");
  StagedImage staged;
  const bool hasFifo = test::makeFifo(fifo);
  if (hasFifo) {
    EXPECT_FALSE(staged.begin(fifo));
  }
  EXPECT_FALSE(staged.begin((dir_ / "folder").string()));
  EXPECT_FALSE(staged.begin(test::kNullDevice));
  EXPECT_FALSE(staged.begin((dir_ / "no" / "folder.bin").string()));

  put(target_, earlier_);
  {
    ImageFile beingWritten;  // a write to the chip holds its image
    ASSERT_TRUE(beingWritten.openExisting(target_));
    EXPECT_FALSE(staged.begin(target_));
    ImageFile other;
    EXPECT_FALSE(other.createAlways(target_));
  }
  {
    StagedImage firstRead;
    ASSERT_TRUE(firstRead.begin(target_));
    EXPECT_FALSE(staged.begin(target_));
    EXPECT_FALSE(staged.isOpen());
  }
  EXPECT_EQ(get(target_), earlier_);
  std::set<std::string> expected{"dump.bin", "folder"};
  if (hasFifo) expected.insert("fifo");
  EXPECT_EQ(names(), expected);
}

}  // namespace
}  // namespace tarvex
