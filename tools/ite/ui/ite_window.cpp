#include "tools/ite/ui/ite_window.h"

#include <QVBoxLayout>

#include "app/qt_frame/gauge_widget.h"
#include "app/qt_frame/log_memo.h"

namespace tarvex {

TITE_FORM::TITE_FORM(AppContext& context, QWidget* parent) : QtToolView(context, parent) {
  setObjectName("ITE_FORM");
  setWindowTitle(QStringLiteral("ITE 22_11_2015 English"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(createLog("ITE_Memo1"), 1);
  layout->addWidget(createGauge("ITE_CGauge1", 512));
  layout->addWidget(createGauge("SPEED_ITE_CGauge", 256));
  ITE_EXIT_BitBtn = new QPushButton(QStringLiteral("E X I T"), this);
  ITE_EXIT_BitBtn->setObjectName("ITE_EXIT_BitBtn");
  layout->addWidget(ITE_EXIT_BitBtn, 0, Qt::AlignLeft);
  connect(ITE_EXIT_BitBtn, &QPushButton::clicked, this, &TITE_FORM::ITE_EXIT_BitBtnClick);
  resize(640, 480);
}

void TITE_FORM::ITE_EXIT_BitBtnClick() {
  clearLog();
  returnToMainWindow();
  setGaugeProgress(0, 0);
  setGaugeProgress(1, 0);
}

}  // namespace tarvex
