#include "tools/kb90/ui/kb90_window.h"

#include <QVBoxLayout>

#include "app/qt_frame/gauge_widget.h"
#include "app/qt_frame/log_memo.h"

namespace tarvex {

TKB901X_forms::TKB901X_forms(AppContext& context, QWidget* parent) : QtToolView(context, parent) {
  setObjectName("KB901X_forms");
  setWindowTitle(QStringLiteral("KB9010/9012/9016/9022  programming VER4.1"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(createLog("KB901X_Memo"), 1);
  layout->addWidget(createGauge("CGauge_KB901X", 32768));
  EXIT_KB901X = new QPushButton(QStringLiteral("EXIT"), this);
  EXIT_KB901X->setObjectName("EXIT_KB901X");
  layout->addWidget(EXIT_KB901X, 0, Qt::AlignLeft);
  connect(EXIT_KB901X, &QPushButton::clicked, this, &TKB901X_forms::EXIT_KB901XClick);
  resize(640, 480);
}

void TKB901X_forms::EXIT_KB901XClick() {
  clearLog();
  returnToMainWindow();
  setGaugeProgress(0, 0);
}

}  // namespace tarvex
