#include "tools/keyboard/ui/keyboard_window.h"

#include <QVBoxLayout>

#include "app/qt_frame/log_memo.h"

namespace tarvex {

TKeyboard_testing::TKeyboard_testing(AppContext& context, QWidget* parent) : QtToolView(context, parent) {
  setObjectName("Keyboard_testing");
  setWindowTitle(QStringLiteral("Keyboard_testing"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(createLog("Memo_keyboard"), 1);
  EXIT_KB_TEST = new QPushButton(QStringLiteral("EXIT"), this);
  EXIT_KB_TEST->setObjectName("EXIT_KB_TEST");
  layout->addWidget(EXIT_KB_TEST, 0, Qt::AlignLeft);
  connect(EXIT_KB_TEST, &QPushButton::clicked, this, &TKeyboard_testing::EXIT_KB_TESTClick);
  resize(640, 480);
}

void TKeyboard_testing::EXIT_KB_TESTClick() {
  returnToMainWindow();
}

}  // namespace tarvex
