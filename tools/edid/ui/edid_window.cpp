#include "tools/edid/ui/edid_window.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "widgets/caption_color.h"
#include "widgets/fixed_font.h"
#include "widgets/log_memo.h"
#include "tools/edid/edid_double_read.h"
#include "tools/edid/edid_messages.h"
#include "tools/edid/ui/edid_worker.h"

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
    : QtToolView(context, parent),
      tool_(context.bus, *this, bounds),
      safe_(tool_, *this),
      doubleRead_(edid::edidDoubleRead(tool_, *this)),
      chain_(new ChainDriver([this](std::function<void()> body) { return makeWorker(std::move(body)); },
                             this)) {
  setObjectName("EDID_form");
  setWindowTitle(QString::fromUtf8(edid::msg::kCaption));
  // No system menu and no close box: EXIT is the way back.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  EDID_READ = operationButton(this, edid::msg::kReadButton, "#008000");
  EDID_WRITE = operationButton(this, edid::msg::kWriteButton, "#FF0000");
  EXIT_EDID = new QPushButton(QString::fromUtf8(edid::msg::kExitButton), this);
  EXIT_EDID->setObjectName("EXIT_EDID");
  Safety = new SafetyControls(true, context.backupsFolder, context.openFolder, this);
  addStartButton(EDID_READ);
  addStartButton(EDID_WRITE);
  // What a read or a write will do cannot change while one runs.
  addStartButton(Safety->verifyBox());
  addStartButton(Safety->backupBox());
  addStartButton(Safety->readTwiceBox());

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
  // Below the log, so the buttons and the log keep their places.
  layout->addWidget(Safety);

  connect(EDID_READ, &QPushButton::clicked, this, &TEDID_form::EDID_READClick);
  connect(EDID_WRITE, &QPushButton::clicked, this, &TEDID_form::EDID_WRITEClick);
  connect(EXIT_EDID, &QPushButton::clicked, this, &TEDID_form::EXIT_EDIDClick);
  connect(chain_, &ChainDriver::ended, this, [this] { setStartButtonsEnabled(true); });

  resize(680, 556);
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TEDID_form::~TEDID_form() {
  // Only at program exit can a step still run; its waits are bounded, and the tool it works
  // on must outlive it.
  if (worker_) worker_->wait();
}

ToolThread* TEDID_form::makeWorker(std::function<void()> body) {
  auto* worker = new EdidWorker(std::move(body));
  worker_ = worker;
  return worker;
}

void TEDID_form::startOperation(PhaseChain chain) {
  if (busy()) return;
  setStartButtonsEnabled(false);
  chain_->start(std::move(chain));
}

// With "Read twice and compare" checked the read runs as a chain of two reads, each on its
// own worker, and the save dialog after the compare; unchecked, the single documented read
// runs on one worker.
void TEDID_form::EDID_READClick() {
  if (busy()) return;
  if (Safety->readTwice()) return startOperation(doubleRead_.chain());
  PhaseChain chain;
  chain.add([this](bool) { return PhaseStep::runWork([this] { return tool_.read(); }, false); });
  startOperation(std::move(chain));
}

// The write runs as a chain: the file chosen and checked here, then the backup read, the
// write and the read-back, each on its own worker.
void TEDID_form::EDID_WRITEClick() {
  if (busy()) return;
  startOperation(safe_.write(Safety->options(), false));
}

void TEDID_form::EXIT_EDIDClick() {
  if (busy()) return;
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
  // Show the window as it is now, not with the dialog's imprint on it.
  repaint();
}

}  // namespace tarvex
