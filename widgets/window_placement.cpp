#include "widgets/window_placement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace tarvex {

namespace {

constexpr int kGap = 8;

// The first coordinate that keeps a span of `length` inside [low, high], as near to
// `wanted` as can be; `low` where the span is longer than the range.
int clampSpan(int wanted, int length, int low, int high) {
  return std::max(low, std::min(wanted, high - length + 1));
}

}  // namespace

SideBySide placeSideBySide(const QRect& anchor, const QSize& window, const QRect& available) {
  const int top = clampSpan(anchor.top(), window.height(), available.top(), available.bottom());
  const int right = anchor.right() + 1 + kGap;
  if (right + window.width() - 1 <= available.right()) {
    return {anchor.topLeft(), {right, top}};
  }
  const int left = anchor.left() - kGap - window.width();
  if (left >= available.left()) return {anchor.topLeft(), {left, top}};

  const int pairWidth = anchor.width() + kGap + window.width();
  const int anchorX =
      clampSpan(available.left() + (available.width() - pairWidth) / 2, pairWidth,
                available.left(), available.right());
  const int windowX = clampSpan(anchorX + anchor.width() + kGap, window.width(),
                                available.left(), available.right());
  return {{anchorX, anchor.top()}, {windowX, top}};
}

void placeBeside(QWidget* window, QWidget* anchor) {
  const QScreen* screen = anchor->screen();
  if (!screen) return;
  const QRect anchorFrame = anchor->frameGeometry();
  // A window not shown yet has no frame: it gets the anchor's.
  const QSize frameExtra = anchorFrame.size() - anchor->size();
  const QSize windowFrame = window->isVisible() ? window->frameGeometry().size()
                                                : window->size() + frameExtra;
  const SideBySide place = placeSideBySide(anchorFrame, windowFrame, screen->availableGeometry());
  if (place.anchor != anchorFrame.topLeft()) anchor->move(place.anchor);
  window->move(place.window);
}

}  // namespace tarvex
