#include "tools/edid/ui/edid_window.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "app/qt_frame/caption_color.h"
#include "app/qt_frame/fixed_font.h"
#include "app/qt_frame/log_memo.h"
#include "tools/edid/edid_messages.h"

namespace tarvex {
namespace {

QPushButton* operationButton(QWidget* parent, const char* name, const char* textColor) {
  auto* button = new QPushButton(QString::fromUtf8(name), parent);
  button->setObjectName(name);
  button->setFont(fixedFont(0, true));
  setCaptionColor(button, QString::fromLatin1(textColor));
  button->setMinimumHeight(40);
  return button;
}

}  // namespace

TEDID_form::TEDID_form(AppContext& context, QWidget* parent, edid::EdidBounds bounds)
    : QtToolView(context, parent), tool_(context.bus, *this, bounds) {
  setObjectName("EDID_form");
  setWindowTitle(QString::fromUtf8(edid::msg::kCaption));
  // No system menu and no close box: EXIT is the way back.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  EDID_READ = operationButton(this, edid::msg::kReadButton, "#008000");
  EDID_WRITE = operationButton(this, edid::msg::kWriteButton, "#FF0000");
  EXIT_EDID = new QPushButton(QString::fromUtf8(edid::msg::kExitButton), this);
  EXIT_EDID->setObjectName("EXIT_EDID");
  addStartButton(EDID_READ);
  addStartButton(EDID_WRITE);

  auto* layout = new QVBoxLayout(this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(EDID_READ);
  buttons->addWidget(EDID_WRITE);
  buttons->addStretch(1);
  buttons->addWidget(EXIT_EDID);
  layout->addLayout(buttons);
  auto* memo = createLog("EDID_Memo");
  memo->setFont(fixedFont());
  // A dump line is 66 characters; the log shows it whole.
  memo->setMinimumWidth(memo->fontMetrics().horizontalAdvance(QString(72, QLatin1Char('0'))));
  layout->addWidget(memo, 1);

  connect(EDID_READ, &QPushButton::clicked, this, &TEDID_form::EDID_READClick);
  connect(EDID_WRITE, &QPushButton::clicked, this, &TEDID_form::EDID_WRITEClick);
  connect(EXIT_EDID, &QPushButton::clicked, this, &TEDID_form::EXIT_EDIDClick);

  resize(680, 520);
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

template <typename Operation>
void TEDID_form::runExclusive(Operation operation) {
  if (busy_) return;
  busy_ = true;
  operation();
  busy_ = false;
}

void TEDID_form::EDID_READClick() {
  runExclusive([this] { tool_.read(); });
}

void TEDID_form::EDID_WRITEClick() {
  runExclusive([this] { tool_.write(); });
}

void TEDID_form::EXIT_EDIDClick() {
  if (busy_) return;
  tool_.exit();
  returnToMainWindow();
}

void TEDID_form::SaveDialog1CanClose() { markFileChosen(); }

void TEDID_form::OpenDialog1CanClose() { markFileChosen(); }

void TEDID_form::dialogCanClose(FileDialogSpec::Kind kind) {
  if (kind == FileDialogSpec::Kind::kSave) {
    SaveDialog1CanClose();
  } else {
    OpenDialog1CanClose();
  }
  // The operation goes on inside this handler; show the window as it is now, not with
  // the dialog's imprint on it.
  repaint();
}

}  // namespace tarvex
