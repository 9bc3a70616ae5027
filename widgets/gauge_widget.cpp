#include "widgets/gauge_widget.h"

#include <QPainter>

#include "frame/gauge_math.h"

namespace tarvex {

GaugeWidget::GaugeWidget(int maximum, QWidget* parent)
    : QWidget(parent), maximum_(maximum < 0 ? 0 : maximum) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void GaugeWidget::setMaxValue(int maximum) {
  maximum_ = maximum < 0 ? 0 : maximum;
  progress_ = clampGauge(progress_, 0, maximum_);
  update();
}

void GaugeWidget::setProgress(int progress) {
  progress_ = clampGauge(progress, 0, maximum_);
  update();
}

void GaugeWidget::setForeColor(Rgb color) {
  color_ = color;
  update();
}

QString GaugeWidget::text() const {
  return QString::fromStdString(gaugeText(progress_, 0, maximum_));
}

QSize GaugeWidget::sizeHint() const {
  return {300, fontMetrics().height() + 10};
}

void GaugeWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect frame = rect().adjusted(0, 0, -1, -1);
  painter.fillRect(rect(), palette().color(QPalette::Base));
  if (maximum_ > 0 && progress_ > 0) {
    const int width =
        static_cast<int>(static_cast<long long>(rect().width()) * progress_ / maximum_);
    painter.fillRect(QRect(0, 0, width, rect().height()), QColor(color_.r, color_.g, color_.b));
  }
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(frame);
  painter.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace tarvex
