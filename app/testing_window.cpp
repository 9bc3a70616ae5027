#include "app/testing_window.h"

#include <QGridLayout>
#include <QMetaObject>

#include "link/connection_test.h"
#include "link/link_quality.h"

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

// Lines logged on the test's thread, each handed to the memo on the window's thread in the
// order they came.
class HandedOverSink final : public LogSink {
 public:
  HandedOverSink(QObject* window, LogSink& memo) : window_(window), memo_(memo) {}
  void logLine(const std::string& line) override {
    QMetaObject::invokeMethod(
        window_, [memo = &memo_, line] { memo->logLine(line); }, Qt::QueuedConnection);
  }

 private:
  QObject* window_;
  LogSink& memo_;
};

}  // namespace

TTESTING::TTESTING(FtBus& bus, QWidget* parent) : QWidget(parent), bus_(bus) {
  setObjectName("TESTING");
  setWindowTitle(QString::fromUtf8(kTestingCaption));

  Test_memo = new QPlainTextEdit(this);
  Test_memo->setObjectName("Test_memo");
  Test_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  BitBtn1 = new QPushButton(kTestConnect, this);
  BitBtn1->setObjectName("BitBtn1");
  CheckBox_repeat = new QCheckBox(kRepeatBox, this);
  CheckBox_repeat->setObjectName("CheckBox_repeat");
  memoSink_ = std::make_unique<MemoSink>(Test_memo);

  // The button stays centred under the memo: the box sits in the right-hand column, which
  // stretches like the empty left-hand one.
  auto* layout = new QGridLayout(this);
  layout->addWidget(Test_memo, 0, 0, 1, 3);
  layout->addWidget(BitBtn1, 1, 1);
  layout->addWidget(CheckBox_repeat, 1, 2, Qt::AlignLeft);
  layout->setRowStretch(0, 1);
  layout->setColumnStretch(0, 1);
  layout->setColumnStretch(2, 1);
  connect(BitBtn1, &QPushButton::clicked, this, &TTESTING::BitBtn1Click);

  // Placed beside the main window each time that opens it.
  resize(560, 420);
}

TTESTING::~TTESTING() {
  if (!linkTest_.joinable()) return;
  // At most one handshake (its 300 ms read bound) stands between the stop and the end.
  stopLinkTest_ = true;
  linkTest_.join();
}

void TTESTING::BitBtn1Click() {
  if (linkTest_.joinable()) {
    stopLinkTest_ = true;
    return;
  }
  if (CheckBox_repeat->isChecked()) {
    startLinkTest();
    return;
  }
  runConnectionTest(bus_, *memoSink_);
}

void TTESTING::startLinkTest() {
  stopLinkTest_ = false;
  BitBtn1->setText(kStopLinkTest);
  CheckBox_repeat->setEnabled(false);
  linkTest_ = std::thread([this] {
    HandedOverSink sink(this, *memoSink_);
    runLinkQualityTest(bus_, sink, kWindowRepeats, &stopLinkTest_);
    QMetaObject::invokeMethod(
        this, [this] { linkTestEnded(); }, Qt::QueuedConnection);
  });
}

void TTESTING::linkTestEnded() {
  if (linkTest_.joinable()) linkTest_.join();
  BitBtn1->setText(kTestConnect);
  CheckBox_repeat->setEnabled(true);
}

}  // namespace tarvex
