#include "tools/mec16/ui/mec16_shape.h"

namespace tarvex {

Mec16Shape::Mec16Shape(QWidget* parent) : QFrame(parent) {
  setFixedSize(24, 24);
  setColor({});
}

void Mec16Shape::setColor(Rgb color) {
  color_ = color;
  setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3); border: 1px solid gray; "
                               "border-radius: 5px;")
                    .arg(color.r)
                    .arg(color.g)
                    .arg(color.b));
}

}  // namespace tarvex
