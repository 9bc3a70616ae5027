#pragma once
// The program's fixed-pitch font: Courier New where the system has it, else Liberation Mono
// (same metrics), else whatever the system calls its fixed font.

#include <QFont>

namespace tarvex {

QString fixedFontFamily();
// pixelSize 0 keeps the family's default size.
QFont fixedFont(int pixelSize = 0, bool bold = false);

}  // namespace tarvex
