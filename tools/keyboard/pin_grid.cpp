#include "tools/keyboard/pin_grid.h"

namespace tarvex::keyboard {

std::string cellName(int first, int second) {
  return "Shape" + std::to_string(cellNumber(first, second));
}

CellGrid::CellGrid() {
  colors_.fill(cell_colors::kAqua);
}

Rgb CellGrid::toggle(int first, int second) {
  if (!namesCell(first, second)) return cell_colors::kAqua;
  std::lock_guard lock(mutex_);
  Rgb& cell = colors_[cellNumber(first, second)];
  if (cell == cell_colors::kFuchsia) return cell;
  cell = cell == cell_colors::kRed ? cell_colors::kYellow : cell_colors::kRed;
  return cell;
}

void CellGrid::markConnectedAtStart(int first, int second) {
  if (!namesCell(first, second)) return;
  std::lock_guard lock(mutex_);
  colors_[cellNumber(first, second)] = cell_colors::kFuchsia;
}

void CellGrid::clear() {
  std::lock_guard lock(mutex_);
  colors_.fill(cell_colors::kAqua);
}

Rgb CellGrid::color(int first, int second) const {
  if (!namesCell(first, second)) return cell_colors::kAqua;
  std::lock_guard lock(mutex_);
  return colors_[cellNumber(first, second)];
}

}  // namespace tarvex::keyboard
