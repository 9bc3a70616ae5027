#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "widgets/caption_color.h"
#include "widgets/fixed_font.h"
#include "widgets/window_placement.h"
#include "app/testing_window.h"
#include "tools/edid/ui/edid_window.h"
#include "tools/ite/ui/ite_window.h"
#include "tools/kb90/ui/kb90_window.h"
#include "tools/keyboard/ui/keyboard_window.h"
#include "tools/mec16/ui/mec16_window.h"

namespace tarvex {

namespace {

constexpr int kToolCaptionPixels = 27;
constexpr int kToolButtonWidth = 420;
constexpr int kToolButtonHeight = 56;

QPushButton* toolButton(QWidget* parent, const char* name, const QString& caption,
                        const char* textColor) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setFont(fixedFont(kToolCaptionPixels, true));
  button->setFixedSize(kToolButtonWidth, kToolButtonHeight);
  if (textColor) setCaptionColor(button, QString::fromLatin1(textColor));
  return button;
}

void centreOnScreen(QWidget* window) {
  if (const QScreen* screen = window->screen()) {
    const QRect area = screen->availableGeometry();
    window->move(area.center() - window->rect().center());
  }
}

}  // namespace

TForm1::TForm1(const ShellWindows& windows, QWidget* parent) : QWidget(parent), windows_(windows) {
  setObjectName("Form1");
  setWindowTitle(QString::fromUtf8(kMainCaption));
  // No system menu and no close box: Exit is the way out.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFont(fixedFont());

  // The text colours of the classic palette: green, maroon, purple.
  EDID = toolButton(this, "EDID", "EEPROM lcd (EDID)", "#008000");
  Keyboard = toolButton(this, "Keyboard", "Keyboard testing", "#800000");
  KB901X = toolButton(this, "KB901X", "KB9010/12/16/22", "#800080");
  MEC16XX = toolButton(this, "MEC16XX", "MEC1609", nullptr);
  ITE_BitBtn1 = toolButton(this, "ITE_BitBtn1", "ITE_chip", nullptr);

  Exit = new QPushButton("Exit", this);
  Exit->setObjectName("Exit");
  Exit->setFixedSize(90, 30);
  Test_connect = new QPushButton(" ", this);
  Test_connect->setObjectName("Test_connect");
  Test_connect->setFixedSize(18, 18);

  auto* layout = new QVBoxLayout(this);
  for (QPushButton* button : {EDID, Keyboard, KB901X, MEC16XX, ITE_BitBtn1}) {
    layout->addWidget(button);
  }
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(Exit, 0, Qt::AlignLeft | Qt::AlignBottom);
  bottom->addStretch(1);
  bottom->addWidget(Test_connect, 0, Qt::AlignRight | Qt::AlignBottom);
  layout->addSpacing(12);
  layout->addLayout(bottom);

  connect(EDID, &QPushButton::clicked, this, &TForm1::EDIDClick);
  connect(Keyboard, &QPushButton::clicked, this, &TForm1::KeyboardClick);
  connect(KB901X, &QPushButton::clicked, this, &TForm1::KB901XClick);
  connect(MEC16XX, &QPushButton::clicked, this, &TForm1::MEC16XXClick);
  connect(ITE_BitBtn1, &QPushButton::clicked, this, &TForm1::ITE_BitBtn1Click);
  connect(Exit, &QPushButton::clicked, this, &TForm1::ExitClick);
  connect(Test_connect, &QPushButton::clicked, this, &TForm1::Test_connectClick);

  // A single, non-resizable border.
  adjustSize();
  setFixedSize(sizeHint());
  centreOnScreen(this);
}

void TForm1::switchTo(QWidget* tool) {
  if (!tool) return;
  tool->show();
  tool->raise();
  tool->activateWindow();
  hide();
}

void TForm1::EDIDClick() {
  switchTo(windows_.EDID_form);
}
void TForm1::KeyboardClick() {
  switchTo(windows_.Keyboard_testing);
}
void TForm1::KB901XClick() {
  switchTo(windows_.KB901X_forms);
}
void TForm1::MEC16XXClick() {
  switchTo(windows_.MEC16_Form);
}
void TForm1::ITE_BitBtn1Click() {
  switchTo(windows_.ITE_FORM);
}

void TForm1::ExitClick() {
  close();
}

void TForm1::Test_connectClick() {
  if (!windows_.TESTING) return;
  if (!windows_.TESTING->isVisible()) placeBeside(windows_.TESTING, this);
  windows_.TESTING->show();
  windows_.TESTING->raise();
  windows_.TESTING->activateWindow();
}

void TForm1::closeEvent(QCloseEvent* event) {
  // Closing the main window ends the program, whatever other window is shown.
  event->accept();
  QCoreApplication::exit(0);
}

}  // namespace tarvex
