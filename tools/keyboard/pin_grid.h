#pragma once
// The grid of pin-pair cells: one cell for each unordered pair of connector pins (i, j),
// 1 <= i < j <= 32, 496 in all, as an upper triangle with rows i and columns j. A cell is
// known by its number 32*(i-1)+j (the shape "Shape<number>"), from 2 for (1, 2) to 992
// for (31, 32). Its colour records what the scan saw: aqua at first and after Clear; a
// report turns it red, or yellow when it was red already. A pair already connected when a
// scan starts (shorted lines or a stuck key) is marked fuchsia and keeps that colour until
// Clear: its reports say nothing about keys pressed.

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "frame/tool_view.h"

namespace tarvex::keyboard {

inline constexpr int kPinCount = 32;
inline constexpr int kCellCount = kPinCount * (kPinCount - 1) / 2;
inline constexpr int kCellWidth = 17;
inline constexpr int kCellHeight = 15;

namespace cell_colors {
inline constexpr Rgb kAqua{0x00, 0xFF, 0xFF};
inline constexpr Rgb kRed{0xFF, 0x00, 0x00};
inline constexpr Rgb kYellow{0xFF, 0xFF, 0x00};
inline constexpr Rgb kFuchsia{0xFF, 0x00, 0xFF};
}  // namespace cell_colors

// True when the pins name a cell: both in 1..32, the first below the second.
constexpr bool namesCell(int first, int second) {
  return first >= 1 && first < second && second <= kPinCount;
}
constexpr int cellNumber(int first, int second) {
  return kPinCount * (first - 1) + second;
}
std::string cellName(int first, int second);

struct CellPosition {
  int x = 0;
  int y = 0;
  friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

// Top-left corner in window pixels. Pins fall in groups of five (1-5, 6-10, ..., 26-30,
// then 31-32) with an extra 8-pixel gap between groups, both across and down.
constexpr CellPosition cellPosition(int first, int second) {
  return {24 + 24 * (second - 2) + 8 * ((second - 1) / 5),
          40 + 24 * (first - 1) + 8 * ((first - 1) / 5)};
}

// The colours of all cells, shared by the scan worker (reports) and the window (Clear,
// painting). Pairs that name no cell are ignored by every call.
class CellGrid {
 public:
  CellGrid();
  // Applies one report: red becomes yellow, any other colour red; a cell marked as
  // connected at start stays marked. Returns the new colour.
  Rgb toggle(int first, int second);
  // Marks the cell as connected at start.
  void markConnectedAtStart(int first, int second);
  void clear();
  Rgb color(int first, int second) const;

 private:
  mutable std::mutex mutex_;
  std::array<Rgb, cellNumber(kPinCount, kPinCount) + 1> colors_;
};

}  // namespace tarvex::keyboard
