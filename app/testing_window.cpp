#include "app/testing_window.h"

#include <QVBoxLayout>

#include "link/connection_test.h"

namespace tarvex {

namespace {

class MemoSink final : public LogSink {
 public:
  explicit MemoSink(QPlainTextEdit* memo) : memo_(memo) {}
  void logLine(const std::string& line) override {
    QString text = QString::fromStdString(line);
    if (memo_->document()->isEmpty() && text.isEmpty() && !pendingEmptyLine_) {
      // An empty line alone leaves an empty memo looking empty; it is written with the
      // next line.
      pendingEmptyLine_ = true;
      return;
    }
    if (pendingEmptyLine_) text.prepend(QLatin1Char('\n'));
    pendingEmptyLine_ = false;
    memo_->appendPlainText(text);
  }

 private:
  QPlainTextEdit* memo_;
  bool pendingEmptyLine_ = false;
};

}  // namespace

TTESTING::TTESTING(FtBus& bus, QWidget* parent) : QWidget(parent), bus_(bus) {
  setObjectName("TESTING");
  setWindowTitle(QString::fromUtf8(kTestingCaption));

  Test_memo = new QPlainTextEdit(this);
  Test_memo->setObjectName("Test_memo");
  Test_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  BitBtn1 = new QPushButton("Test connect", this);
  BitBtn1->setObjectName("BitBtn1");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Test_memo, 1);
  layout->addWidget(BitBtn1, 0, Qt::AlignHCenter);
  connect(BitBtn1, &QPushButton::clicked, this, &TTESTING::BitBtn1Click);

  // Placed beside the main window each time that opens it.
  resize(560, 420);
}

void TTESTING::BitBtn1Click() {
  MemoSink sink(Test_memo);
  runConnectionTest(bus_, sink);
}

}  // namespace tarvex
