#include "tools/edid/ui/edid_window.h"

#include <QVBoxLayout>

#include "app/qt_frame/log_memo.h"

namespace tarvex {

TEDID_form::TEDID_form(AppContext& context, QWidget* parent) : QtToolView(context, parent) {
  setObjectName("EDID_form");
  setWindowTitle(QStringLiteral("EEPROM LCD read/write VER4.1"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(createLog("EDID_Memo"), 1);
  EXIT_EDID = new QPushButton(QStringLiteral("EXIT"), this);
  EXIT_EDID->setObjectName("EXIT_EDID");
  layout->addWidget(EXIT_EDID, 0, Qt::AlignLeft);
  connect(EXIT_EDID, &QPushButton::clicked, this, &TEDID_form::EXIT_EDIDClick);
  resize(640, 480);
}

void TEDID_form::EXIT_EDIDClick() {
  clearLog();
  returnToMainWindow();
}

}  // namespace tarvex
