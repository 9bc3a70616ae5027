// The connection base file: how bytes become mainboard entries.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tools/kb90/base_file.h"
#include "tests/support/test_platform.h"

namespace tarvex::kb90 {
namespace {

using Entries = std::vector<std::string>;

TEST(Kb90BaseFile, LineEndsCarriageReturnsAndTheUnfinishedLastLine) {
  EXPECT_EQ(parseBaseFile("one\ntwo\n"), (Entries{"one", "two"}));
  // CR LF line ends give the same list as LF only; a CR anywhere disappears.
  EXPECT_EQ(parseBaseFile("one\r\ntwo\r\n"), (Entries{"one", "two"}));
  EXPECT_EQ(parseBaseFile("o\rne\r\r\ntwo\n"), (Entries{"one", "two"}));
  // A last line without LF is not loaded.
  EXPECT_EQ(parseBaseFile("one\ntwo"), (Entries{"one"}));
  EXPECT_EQ(parseBaseFile("no line end at all"), Entries{});
  // Empty lines are empty entries.
  EXPECT_EQ(parseBaseFile("\none\n\r\n\n"), (Entries{"", "one", "", ""}));
  EXPECT_EQ(parseBaseFile(""), Entries{});
}

TEST(Kb90BaseFile, ReadsCodePage1251AndUtf8Files) {
  // "Плата" in code page 1251, then the same in UTF-8 with and without a byte-order mark.
  const std::string utf8 = "\xD0\x9F\xD0\xBB\xD0\xB0\xD1\x82\xD0\xB0 KSO3=5";
  EXPECT_EQ(parseBaseFile("\xCF\xEB\xE0\xF2\xE0 KSO3=5\r\n"), Entries{utf8});
  EXPECT_EQ(parseBaseFile(utf8 + "\n"), Entries{utf8});
  EXPECT_EQ(parseBaseFile("\xEF\xBB\xBF" + utf8 + "\n"), Entries{utf8});
  // The unfinished last line does not decide the encoding.
  EXPECT_EQ(parseBaseFile(utf8 + "\n\xCF"), Entries{utf8});
  EXPECT_EQ(cp1251ToUtf8("\xA8\xB8\xB9"), "\xD0\x81\xD1\x91\xE2\x84\x96");  // Ё ё №
}

TEST(Kb90BaseFile, ArbitraryBytesNeverBreakTheParser) {
  std::mt19937 random(90);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(static_cast<std::size_t>(random() % 400), '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? "\n\r=K"[random() % 4] : byte(random));
    const Entries entries = parseBaseFile(bytes);
    EXPECT_EQ(entries.size(), static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
    for (const auto& entry : entries) {
      EXPECT_TRUE(isValidUtf8(entry));
      EXPECT_EQ(entry.find_first_of("\r\n"), std::string::npos);
    }
  }
}

TEST(Kb90BaseFile, LoadsFromDiskOrReportsItMissing) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("kb90_base_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto path = dir / "MB connection KB901X.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "Board A KSO3=5 KSI4=10 KSI7=13 KSI6=12 KSI5=11\r\n\r\nBoard B";
  }
  const auto loaded = loadBaseFile(path.string());
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(loaded->entries, (Entries{"Board A KSO3=5 KSI4=10 KSI7=13 KSI6=12 KSI5=11", ""}));
  EXPECT_FALSE(loadBaseFile((dir / "missing.txt").string()).has_value());
  EXPECT_FALSE(loadBaseFile(dir.string()).has_value());  // a directory cannot be read
  EXPECT_FALSE(loaded->cut);
  // A pipe at the path must not hold up the start: with no writer it would wait for good.
  if (test::makeFifo(dir / "pipe.txt")) {
    EXPECT_FALSE(loadBaseFile((dir / "pipe.txt").string()).has_value());
  }
  // A huge file costs at most the cap, and says it was cut.
  {
    std::ofstream out(path, std::ios::binary);
    out << "Board A\n";
  }
  std::filesystem::resize_file(path, kBaseFileMaxBytes * 4);
  const auto huge = loadBaseFile(path.string());
  ASSERT_TRUE(huge.has_value());
  EXPECT_TRUE(huge->cut);
  EXPECT_EQ(huge->entries, Entries{"Board A"});
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tarvex::kb90
