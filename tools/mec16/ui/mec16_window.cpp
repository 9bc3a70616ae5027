#include "tools/mec16/ui/mec16_window.h"

#include <QVBoxLayout>

#include "app/qt_frame/gauge_widget.h"
#include "app/qt_frame/log_memo.h"

namespace tarvex {

TMEC16_Form::TMEC16_Form(AppContext& context, QWidget* parent) : QtToolView(context, parent) {
  setObjectName("MEC16_Form");
  setWindowTitle(QStringLiteral("Чтение и запись MEC16"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(createLog("Memo_MEC16"), 1);
  layout->addWidget(createGauge("CGauge_MEC16", 768));
  EXIT_MEC16 = new QPushButton(QStringLiteral("СТОП или ВЫХОД"), this);
  EXIT_MEC16->setObjectName("EXIT_MEC16");
  layout->addWidget(EXIT_MEC16, 0, Qt::AlignLeft);
  connect(EXIT_MEC16, &QPushButton::clicked, this, &TMEC16_Form::EXIT_MEC16Click);
  resize(640, 480);
}

void TMEC16_Form::EXIT_MEC16Click() {
  returnToMainWindow();
}

}  // namespace tarvex
