#include "tools/keyboard/ui/cell_shape.h"

#include <QPainter>

namespace tarvex {

CellShape::CellShape(Rgb color, QWidget* parent) : QWidget(parent), color_(color) {}

void CellShape::setColor(Rgb color) {
  if (color == color_) return;
  color_ = color;
  update();
}

void CellShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(QColor(color_.r, color_.g, color_.b));
  painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

}  // namespace tarvex
