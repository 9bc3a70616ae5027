// The cell grid: names and places of the 496 cells, and the colour a report leaves.

#include "tools/keyboard/pin_grid.h"

#include <gtest/gtest.h>

#include <set>

namespace tarvex::keyboard {
namespace {

TEST(PinGridTest, EveryPinPairHasItsOwnCellNamedByItsNumber) {
  EXPECT_EQ(cellName(1, 2), "Shape2");
  EXPECT_EQ(cellName(3, 7), "Shape71");
  EXPECT_EQ(cellName(31, 32), "Shape992");
  std::set<int> numbers;
  for (int i = 1; i <= kPinCount; ++i) {
    for (int j = i + 1; j <= kPinCount; ++j) numbers.insert(cellNumber(i, j));
  }
  EXPECT_EQ(numbers.size(), static_cast<std::size_t>(kCellCount));
  EXPECT_EQ(kCellCount, 496);
}

TEST(PinGridTest, OnlyOrderedPairsOfRealPinsNameACell) {
  EXPECT_TRUE(namesCell(1, 32));
  EXPECT_FALSE(namesCell(7, 3));
  EXPECT_FALSE(namesCell(5, 5));
  EXPECT_FALSE(namesCell(0, 5));
  EXPECT_FALSE(namesCell(5, 33));
}

TEST(PinGridTest, CellsSitInGroupsOfFiveWithWiderGaps) {
  EXPECT_EQ(cellPosition(1, 2), (CellPosition{24, 40}));
  EXPECT_EQ(cellPosition(1, 5), (CellPosition{96, 40}));
  // Column 6 and row 6 open the second group: 24 + 8 pixels past the previous cell.
  EXPECT_EQ(cellPosition(1, 6), (CellPosition{128, 40}));
  EXPECT_EQ(cellPosition(5, 7), (CellPosition{152, 136}));
  EXPECT_EQ(cellPosition(6, 7), (CellPosition{152, 168}));
  EXPECT_EQ(cellPosition(31, 32), (CellPosition{24 + 24 * 30 + 8 * 6, 40 + 24 * 30 + 8 * 6}));
}

TEST(PinGridTest, ReportsToggleRedAndYellowAndClearPaintsAqua) {
  CellGrid grid;
  EXPECT_EQ(grid.color(3, 7), cell_colors::kAqua);
  EXPECT_EQ(grid.toggle(3, 7), cell_colors::kRed);
  EXPECT_EQ(grid.toggle(3, 7), cell_colors::kYellow);
  EXPECT_EQ(grid.toggle(3, 7), cell_colors::kRed);
  EXPECT_EQ(grid.color(1, 2), cell_colors::kAqua);
  grid.clear();
  EXPECT_EQ(grid.color(3, 7), cell_colors::kAqua);
  EXPECT_EQ(grid.toggle(3, 7), cell_colors::kRed);
}

TEST(PinGridTest, PairsThatNameNoCellLeaveTheGridAlone) {
  CellGrid grid;
  grid.toggle(7, 3);
  grid.toggle(0, 1);
  grid.toggle(32, 33);
  grid.toggle(255, 255);
  for (int i = 1; i <= kPinCount; ++i) {
    for (int j = i + 1; j <= kPinCount; ++j) EXPECT_EQ(grid.color(i, j), cell_colors::kAqua);
  }
}

}  // namespace
}  // namespace tarvex::keyboard
