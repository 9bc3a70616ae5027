#pragma once
// A push button whose caption has a colour of its own (the green read and red write
// buttons). A plain "color:" style sheet paints the caption in that colour whatever the
// button's state, so a button that cannot be pressed would look as if it could: the
// disabled state keeps the palette's own disabled caption colour.

#include <QString>

class QPushButton;

namespace tarvex {

void setCaptionColor(QPushButton* button, const QString& color);

}  // namespace tarvex
