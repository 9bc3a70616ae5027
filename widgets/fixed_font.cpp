#include "widgets/fixed_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace tarvex {

QString fixedFontFamily() {
  const QStringList families = QFontDatabase::families();
  for (const char* wanted : {"Courier New", "Liberation Mono"}) {
    if (families.contains(QString::fromLatin1(wanted), Qt::CaseInsensitive)) {
      return QString::fromLatin1(wanted);
    }
  }
  return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QFont fixedFont(int pixelSize, bool bold) {
  QFont font(fixedFontFamily());
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  if (pixelSize > 0) font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace tarvex
