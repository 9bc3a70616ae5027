#pragma once
// The MEC16 window's status indicators: small rounded squares painted black (no status
// yet), green (allowed) or red (protection set).

#include <QFrame>

#include "frame/tool_view.h"

namespace tarvex {

class Mec16Shape : public QFrame {
  Q_OBJECT
 public:
  explicit Mec16Shape(QWidget* parent = nullptr);
  void setColor(Rgb color);
  Rgb color() const { return color_; }

 private:
  Rgb color_{};
};

}  // namespace tarvex
