// The backups folder and the read-back comparison every tool's safety steps rely on.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "safety/backup_store.h"
#include "safety/image_compare.h"
#include "base/native_files.h"

namespace tarvex {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

Bytes readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

class BackupStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tarvex_backup_" + std::to_string(::getpid()));
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_F(BackupStoreTest, EachBackupIsANewFileAndNoneIsEverReplaced) {
  const std::string folder = (root_ / "deep" / "backups").string();
  std::tm tm{};
  tm.tm_year = 2026 - 1900;
  tm.tm_mon = 2;
  tm.tm_mday = 7;
  tm.tm_hour = 9;
  tm.tm_min = 5;
  tm.tm_sec = 3;
  tm.tm_isdst = -1;
  const std::time_t when = std::mktime(&tm);

  const SavedBackup first = saveBackup(folder, "mec16", Bytes{1, 2, 3}, when);
  ASSERT_TRUE(first.saved()) << first.error;
  const auto inFolder = [&folder](const std::string& name) {
    return folder + native::kSeparator + name;
  };
  EXPECT_EQ(first.path, inFolder("mec16-20260307-090503.bin"));
  // Same tool, same second: the next free suffix, the earlier files untouched.
  const SavedBackup second = saveBackup(folder, "mec16", Bytes{4, 5}, when);
  const SavedBackup third = saveBackup(folder, "mec16", Bytes{}, when);
  EXPECT_EQ(second.path, inFolder("mec16-20260307-090503-2.bin"));
  EXPECT_EQ(third.path, inFolder("mec16-20260307-090503-3.bin"));
  EXPECT_EQ(readAll(first.path), (Bytes{1, 2, 3}));
  EXPECT_EQ(readAll(second.path), (Bytes{4, 5}));
  EXPECT_TRUE(readAll(third.path).empty());
  // A link planted under the next name is not followed nor replaced (where links can be
  // made: not under Wine).
  const fs::path planted = fs::path(folder) / "ite-20260307-090503.bin";
  std::error_code noLinks;
  fs::create_symlink(root_ / "elsewhere", planted, noLinks);
  const SavedBackup ite = saveBackup(folder, "ite", Bytes{9}, when);
  EXPECT_EQ(ite.path, inFolder(noLinks ? "ite-20260307-090503.bin" : "ite-20260307-090503-2.bin"));
  EXPECT_FALSE(fs::exists(root_ / "elsewhere"));
  // Only the backups are left in the folder: no temporary file stays behind.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++files;
  EXPECT_EQ(files, noLinks ? 4 : 5);

  // A folder that cannot be made says why, and nothing is claimed saved.
  fs::create_directories(root_);
  std::ofstream(root_ / "plain") << "x";
  const SavedBackup refused = saveBackup((root_ / "plain" / "backups").string(), "kb90", Bytes{1});
  EXPECT_FALSE(refused.saved());
  EXPECT_FALSE(refused.error.empty());
  EXPECT_FALSE(saveBackup("", "kb90", Bytes{1}).saved());
}

#ifndef _WIN32
TEST(BackupsFolder, FollowsTheDataHomeOfTheUser) {
  const char* oldData = std::getenv("XDG_DATA_HOME");
  const std::string keptData = oldData ? oldData : "";
  ::setenv("XDG_DATA_HOME", "/srv/data", 1);
  EXPECT_EQ(defaultBackupsFolder(), "/srv/data/tarvex/backups");
  // A relative data home is ignored, as the base directory rules say.
  ::setenv("XDG_DATA_HOME", "relative", 1);
  ::setenv("HOME", ::getenv("HOME") ? ::getenv("HOME") : "/home/x", 1);
  EXPECT_EQ(defaultBackupsFolder(), std::string(::getenv("HOME")) + "/.local/share/tarvex/backups");
  if (oldData) {
    ::setenv("XDG_DATA_HOME", keptData.c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
}
#endif

TEST(ImageCompare, FindsTheFirstDifferenceAndCountsThemAll) {
  const Bytes sent{1, 2, 3, 4, 5, 6};
  EXPECT_FALSE(compareImage(Bytes{1, 2, 3, 4, 5, 6, 7, 8}, sent));  // read longer: its rest is not compared
  EXPECT_EQ(compareImage(Bytes{1, 0, 3, 0, 5, 6}, sent), (ImageMismatch{1, 2}));
  // A read cut short: every missing byte differs.
  EXPECT_EQ(compareImage(Bytes{1, 2, 3, 4}, sent), (ImageMismatch{4, 2}));
  EXPECT_EQ(compareImage(Bytes{}, sent), (ImageMismatch{0, 6}));
  EXPECT_FALSE(blankMismatch(Bytes(300, 0xFF)));
  Bytes partlyErased(300, 0xFF);
  partlyErased[257] = 0xFE;
  partlyErased[299] = 0x00;
  EXPECT_EQ(blankMismatch(partlyErased), (ImageMismatch{257, 2}));
  EXPECT_EQ(hexAddress(0x1230), "0x001230");
  EXPECT_EQ(hexAddress(0x1234567), "0x1234567");
}

}  // namespace
}  // namespace tarvex
