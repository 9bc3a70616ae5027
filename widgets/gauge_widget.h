#pragma once
// The progress gauge of the tool windows: a horizontal bar from 0 to a maximum, the
// progress clamped into that range, the percentage centred on it, the bar's colour set
// per phase (reading, writing, verifying).

#include <QWidget>

#include "frame/tool_view.h"

namespace tarvex {

class GaugeWidget : public QWidget {
  Q_OBJECT
 public:
  explicit GaugeWidget(int maximum, QWidget* parent = nullptr);

  void setMaxValue(int maximum);
  void setProgress(int progress);
  void setForeColor(Rgb color);

  int maxValue() const { return maximum_; }
  int progress() const { return progress_; }
  Rgb foreColor() const { return color_; }
  // The centred text, "N%".
  QString text() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int maximum_;
  int progress_ = 0;
  Rgb color_ = colors::kLime;
};

}  // namespace tarvex
