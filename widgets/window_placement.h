#pragma once
// Placing a window beside another so both stay in sight: the connection test opens beside
// the main window instead of over it.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tarvex {

struct SideBySide {
  QPoint anchor;  // the new top-left of the anchor's frame
  QPoint window;  // the top-left of the placed window's frame
};

// Where the window (frame size `window`) goes beside the anchor (frame `anchor`) within
// the screen's `available` area. Where it fits to the right or else to the left of the
// anchor as it stands, the anchor stays. Otherwise the anchor moves so the two stand side
// by side, centred together; where the area is narrower than both, the anchor goes to
// the area's left edge and the window to its right edge, overlapping as little as the
// area allows. Both stay inside the area where they fit in it.
SideBySide placeSideBySide(const QRect& anchor, const QSize& window, const QRect& available);

// Moves the window (and where needed the anchor) as above, on the anchor's screen.
void placeBeside(QWidget* window, QWidget* anchor);

}  // namespace tarvex
