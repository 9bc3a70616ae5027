// Loading an input file whole: bounded, refusing what is not a regular file without waiting,
// and telling a read error from the end of the file.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "frame/file_load.h"
#include "tests/support/test_platform.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

class FileLoadTest : public testing::Test {
 protected:
  fs::path dir_ = fs::temp_directory_path() / ("tarvex_load_" + std::to_string(::getpid()));
  void SetUp() override { fs::create_directories(dir_); }
  void TearDown() override {
    failLoadsAfterForTesting(std::nullopt);
    fs::remove_all(dir_);
  }
  std::string file(const std::string& name, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7);
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return (dir_ / name).string();
  }
};

TEST_F(FileLoadTest, ReadsAtMostTheLimitAndTellsALongerFile) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{1000}, std::size_t{70000},
                                 std::size_t{70001}, std::size_t{200000}}) {
    SCOPED_TRACE(size);
    const LoadedFile loaded = loadFile(file("f.bin", size), 70000);
    ASSERT_EQ(loaded.status, LoadStatus::kLoaded);
    EXPECT_EQ(loaded.bytes.size(), std::min<std::size_t>(size, 70000));
    EXPECT_EQ(loaded.longer, size > 70000);
    for (std::size_t i = 0; i < loaded.bytes.size(); i += 997) {
      EXPECT_EQ(loaded.bytes[i], static_cast<std::uint8_t>(i * 7));
    }
  }
  // A huge (sparse) file costs no more than the limit.
  const auto huge = dir_ / "huge.bin";
  fs::resize_file(file("huge.bin", 0), std::uintmax_t{1} << 32);
  const auto list = loadListFile(huge.string());
  ASSERT_TRUE(list.has_value());
  EXPECT_TRUE(list->cut);
  EXPECT_EQ(list->text.size(), kListFileMaxBytes);
}

TEST_F(FileLoadTest, RefusesWhatIsNoRegularFileAndReportsReadErrors) {
  const auto pipe = dir_ / "pipe";
  if (test::makeFifo(pipe)) {
    // With no writer a plain open of the pipe would never return.
    EXPECT_EQ(loadFile(pipe.string(), 10).status, LoadStatus::kNotRegularFile);
    EXPECT_FALSE(loadListFile(pipe.string()).has_value());
  }
  EXPECT_EQ(loadFile(dir_.string(), 10).status, LoadStatus::kNotRegularFile);
  EXPECT_EQ(loadFile(test::kNullDevice, 10).status, LoadStatus::kNotRegularFile);
  EXPECT_EQ(loadFile((dir_ / "missing").string(), 10).status, LoadStatus::kOpenFailed);
  if (*test::kUnreadableFile) {
    // Opens as a regular file, but every read fails: not an empty file.
    const LoadedFile proc = loadFile(test::kUnreadableFile, 10);
    EXPECT_EQ(proc.status, LoadStatus::kReadFailed);
    EXPECT_TRUE(proc.bytes.empty());
  }

  const std::string good = file("good.bin", 5000);
  failLoadsAfterForTesting(3000);
  EXPECT_EQ(loadFile(good, 10000).status, LoadStatus::kReadFailed);
  EXPECT_EQ(loadFile(good, 2000).status, LoadStatus::kLoaded);  // the fault lies past the limit
  failLoadsAfterForTesting(std::nullopt);
  EXPECT_EQ(loadFile(good, 10000).bytes.size(), 5000u);

  // A file another operation holds is not read under it.
  const test::ForeignHold holder(good);
  ASSERT_TRUE(holder.held());
  EXPECT_EQ(loadFile(good, 10000).status, LoadStatus::kOpenFailed);
}

TEST(ImageSource, HandsOutTheImageInBlocksThenLess) {
  ImageSource source(std::vector<std::uint8_t>(600, 0xAB));
  std::uint8_t block[256] = {};
  EXPECT_EQ(source.take(block, 256), 256u);
  EXPECT_EQ(source.take(block, 256), 256u);
  EXPECT_EQ(source.take(block, 256), 88u);
  EXPECT_EQ(source.take(block, 256), 0u);
  EXPECT_EQ(block[87], 0xAB);
}

}  // namespace
}  // namespace tarvex
