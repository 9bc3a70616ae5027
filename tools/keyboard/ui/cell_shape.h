#pragma once
// One cell of the keyboard tester's grid: a rounded square filled with the cell's colour.

#include <QWidget>

#include "frame/tool_view.h"

namespace tarvex {

class CellShape : public QWidget {
  Q_OBJECT
 public:
  CellShape(Rgb color, QWidget* parent);
  void setColor(Rgb color);
  Rgb color() const { return color_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Rgb color_;
};

}  // namespace tarvex
