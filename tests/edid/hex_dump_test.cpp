// The log's hex dump: its line format is what technicians compare by eye with other
// dumps, so it must come out to the character.

#include "tools/edid/hex_dump.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace tarvex::edid {
namespace {

TEST(HexDump, LineMatchesTheKnownLayout) {
  const std::array<std::uint8_t, 16> bytes{0x00, 0x00, 0x00, 0xFC, 0x00, 0x50, 0x41, 0x4E,
                                           0x45, 0x4C, 0x5F, 0x31, 0x2E, 0x30, 0x0A, 0x20};
  EXPECT_EQ(hexDumpLine(bytes),
            ": 00 00 00 FC 00 50 41 4E 45 4C 5F 31 2E 30 0A 20 .....PANEL_1.0..");
}

TEST(HexDump, AllZeroImageGivesSixteenIdenticalLinesAfterAnEmptyOne) {
  const std::array<std::uint8_t, 256> zeros{};
  const auto lines = hexDump(zeros);
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[0], "");
  std::string zeroLine = ":";
  for (int i = 0; i < 16; ++i) zeroLine += " 00";
  zeroLine += " ................";
  for (std::size_t i = 1; i < 17; ++i) EXPECT_EQ(lines[i], zeroLine) << "line " << i;
}

TEST(HexDump, RowsFollowTheImageAndOnlyPrintableBytesShow) {
  std::array<std::uint8_t, 256> every{};
  std::iota(every.begin(), every.end(), 0);
  const auto lines = hexDump(every);
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[3], ": 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F ................");
  EXPECT_EQ(lines[4], ": 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F 0123456789......");
  EXPECT_EQ(lines[6].substr(50), "PQRSTUVWXYZ...._");
  EXPECT_EQ(lines[8].substr(50), "pqrstuvwxyz.....");
  EXPECT_EQ(lines[16], ": F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF ................");
}

}  // namespace
}  // namespace tarvex::edid
