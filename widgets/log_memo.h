#pragma once
// The log of a tool window: read-only, fixed-pitch, lines only appended at the end, no
// limit on the number of lines.

#include <QPlainTextEdit>

namespace tarvex {

class LogMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit LogMemo(QWidget* parent = nullptr);
  void appendLine(const QString& line);
  // Several lines in one go: much faster than one by one.
  void appendLines(const QStringList& lines);
  void clearLines();
  int lineCount() const;
  // Line i (from 0) as plain text, for checks.
  QString line(int index) const;

 private:
  // An empty document and one holding a single empty line look alike to Qt.
  bool hasLines_ = false;
};

}  // namespace tarvex
