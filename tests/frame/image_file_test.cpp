// Image files: failures to store must show, not pass silently.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "frame/image_file.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

class ImageFileTest : public testing::Test {
 protected:
  fs::path dir_ = fs::temp_directory_path() / ("tarvex_image_" + std::to_string(::getpid()));
  void SetUp() override { fs::create_directories(dir_); }
  void TearDown() override { fs::remove_all(dir_); }
};

TEST_F(ImageFileTest, CreateTruncatesAndReadBackMatches) {
  const auto path = (dir_ / "a.bin").string();
  {
    ImageFile f;
    ASSERT_TRUE(f.createAlways(path));
    const std::uint8_t data[] = {1, 2, 3, 4};
    ASSERT_TRUE(f.write(data, 4));
    ASSERT_TRUE(f.close());
  }
  {
    ImageFile f;
    ASSERT_TRUE(f.createAlways(path));
    const std::uint8_t data[] = {9};
    ASSERT_TRUE(f.write(data, 1));
  }
  ImageFile f;
  ASSERT_TRUE(f.openExisting(path));
  EXPECT_EQ(f.size(), 1);
  std::uint8_t back[8] = {};
  EXPECT_EQ(f.read(back, sizeof back), 1);
  EXPECT_EQ(back[0], 9);
}

TEST_F(ImageFileTest, MissingFileDoesNotOpenAndAHeldFileIsRefused) {
  ImageFile f;
  EXPECT_FALSE(f.openExisting((dir_ / "missing.bin").string()));
  const auto path = (dir_ / "held.bin").string();
  ImageFile holder;
  ASSERT_TRUE(holder.createAlways(path));
  ImageFile second;
  EXPECT_FALSE(second.openExisting(path));
  holder.close();
  EXPECT_TRUE(second.openExisting(path));
}

TEST_F(ImageFileTest, FullDiskFailsTheWrite) {
  ImageFile f;
  ASSERT_TRUE(f.createAlways("/dev/full"));
  const std::uint8_t data[256] = {};
  EXPECT_FALSE(f.write(data, sizeof data));
}

TEST_F(ImageFileTest, UnwritableDirectoryFailsTheCreate) {
  ImageFile f;
  EXPECT_FALSE(f.createAlways((dir_ / "no" / "such" / "dir.bin").string()));
}

}  // namespace
}  // namespace tarvex
