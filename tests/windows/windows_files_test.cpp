// Files on Windows: the backups folder under %LOCALAPPDATA%, Cyrillic folder and file
// names reaching the system intact (a narrow path would go through the ANSI code page),
// and an image held by one operation refused to every other opener.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "safety/backup_store.h"
#include "frame/image_file.h"
#include "base/native_files.h"
#include "frame/staged_image.h"
#include "tests/support/test_platform.h"

namespace tarvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(WindowsBackupsFolder, IsUnderTheLocalApplicationDataOnly) {
  const char* kept = std::getenv("LOCALAPPDATA");
  const std::string keptValue = kept ? kept : "";

  test::setEnv("LOCALAPPDATA", "C:\\Users\\Мастер\\AppData\\Local");
  EXPECT_EQ(defaultBackupsFolder(), "C:\\Users\\Мастер\\AppData\\Local\\Tarvex\\backups");
  test::setEnv("LOCALAPPDATA", "C:\\Data\\");
  EXPECT_EQ(defaultBackupsFolder(), "C:\\Data\\Tarvex\\backups");
  // A relative folder would move with the current folder: none rather than that.
  test::setEnv("LOCALAPPDATA", "AppData");
  EXPECT_EQ(defaultBackupsFolder(), "");
  test::unsetEnv("LOCALAPPDATA");
  EXPECT_EQ(defaultBackupsFolder(), "");

  if (kept) {
    test::setEnv("LOCALAPPDATA", keptValue);
  }
}

class WindowsFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    // "Заказ" (an order) in the folder's name, as a shop names its folders.
    dir_ = native::utf8Of(std::filesystem::temp_directory_path()) + "\\tarvex_Заказ_" +
           std::to_string(native::processId());
    std::filesystem::create_directories(native::fsPath(dir_));
  }
  void TearDown() override { std::filesystem::remove_all(native::fsPath(dir_)); }

  std::string dir_;
};

TEST_F(WindowsFilesTest, CyrillicNamesReachTheDiskAndBackupsNeverReplaceEachOther) {
  const Bytes image(4096, 0x5A);
  const std::string folder = dir_ + "\\Резервные копии";
  const SavedBackup first = saveBackup(folder, "kb90", image, 1'700'000'000);
  const SavedBackup second = saveBackup(folder, "kb90", Bytes(4096, 0x11), 1'700'000'000);
  ASSERT_TRUE(first.saved()) << first.error;
  ASSERT_TRUE(second.saved()) << second.error;
  EXPECT_NE(first.path, second.path);
  EXPECT_EQ(first.path.rfind(folder + "\\kb90-", 0), 0u) << first.path;
  // Both on the disk under the names reported, each with its own content.
  EXPECT_EQ(std::filesystem::file_size(native::fsPath(first.path)), 4096u);
  ImageFile reread;
  ASSERT_TRUE(reread.openExisting(first.path));
  Bytes back(4096);
  EXPECT_EQ(reread.read(back.data(), back.size()), 4096);
  EXPECT_EQ(back, image);
  // No temporary file is left behind.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(native::fsPath(folder))) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 2);
}

TEST_F(WindowsFilesTest, AHeldImageIsRefusedToOthersAndAReadReplacesOnlyWhenWhole) {
  const std::string target = dir_ + "\\прошивка.bin";
  {
    ImageFile earlier;
    ASSERT_TRUE(earlier.createAlways(target));
    const Bytes old(100, 0x01);
    ASSERT_TRUE(earlier.write(old.data(), old.size()));
    ASSERT_TRUE(earlier.close());
  }
  {
    // A write to the chip holds its image: no read may stage over it, nothing opens it.
    ImageFile beingWritten;
    ASSERT_TRUE(beingWritten.openExisting(target));
    StagedImage staged;
    EXPECT_FALSE(staged.begin(target));
    ImageFile second;
    EXPECT_FALSE(second.openExisting(target));
    EXPECT_FALSE(test::ForeignHold(native::fsPath(target)).held());
  }
  // A read that fails part way keeps the earlier file and leaves "<name>.partial".
  const Bytes image(300, 0xA5);
  {
    StagedImage staged;
    ASSERT_TRUE(staged.begin(target));
    ASSERT_TRUE(staged.write(image.data(), 120));
    const auto kept = staged.abandon();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->path, target + ".partial");
    EXPECT_EQ(kept->bytes, 120);
  }
  EXPECT_EQ(std::filesystem::file_size(native::fsPath(target)), 100u);
  // A whole one replaces it, though the staged image held the earlier file meanwhile.
  {
    StagedImage staged;
    ASSERT_TRUE(staged.begin(target));
    ASSERT_TRUE(staged.write(image.data(), image.size()));
    ASSERT_TRUE(staged.commit());
  }
  EXPECT_EQ(std::filesystem::file_size(native::fsPath(target)), 300u);
  // The next partial read never replaces the first partial file.
  StagedImage again;
  ASSERT_TRUE(again.begin(target));
  ASSERT_TRUE(again.write(image.data(), 10));
  EXPECT_EQ(again.abandon()->path, target + ".partial.2");
}

}  // namespace
}  // namespace tarvex
