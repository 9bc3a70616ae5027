#include "widgets/log_memo.h"

#include <QTextBlock>

#include "widgets/fixed_font.h"

namespace tarvex {

LogMemo::LogMemo(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setFont(fixedFont());
  // Long lines wrap at the widget's width: the tool windows have a fixed size and a line cut
  // behind a horizontal scroll bar goes unread. The hex dumps are narrower than every log.
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setMaximumBlockCount(0);
  setUndoRedoEnabled(false);
}

void LogMemo::appendLine(const QString& line) {
  appendLines(QStringList{line});
}

void LogMemo::appendLines(const QStringList& lines) {
  if (lines.isEmpty()) return;
  QString text = lines.join(QLatin1Char('\n'));
  // A first line that is empty leaves the document empty; the next line must not land in
  // its place.
  if (hasLines_ && document()->isEmpty()) text.prepend(QLatin1Char('\n'));
  appendPlainText(text);
  hasLines_ = true;
}

void LogMemo::clearLines() {
  clear();
  hasLines_ = false;
}

int LogMemo::lineCount() const {
  return hasLines_ ? document()->blockCount() : 0;
}

QString LogMemo::line(int index) const {
  return document()->findBlockByNumber(index).text();
}

}  // namespace tarvex
