#include "widgets/caption_color.h"

#include <QApplication>
#include <QPalette>
#include <QPushButton>

namespace tarvex {

void setCaptionColor(QPushButton* button, const QString& color) {
  const QColor disabled = QApplication::palette().color(QPalette::Disabled, QPalette::ButtonText);
  button->setStyleSheet(QStringLiteral("QPushButton { color: %1; } QPushButton:disabled { color: %2; }")
                            .arg(color, disabled.name()));
}

}  // namespace tarvex
