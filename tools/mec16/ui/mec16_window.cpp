#include "tools/mec16/ui/mec16_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "widgets/fixed_font.h"
#include "widgets/gauge_widget.h"
#include "widgets/log_memo.h"
#include "tools/mec16/mec16_messages.h"
#include "tools/mec16/ui/mec16_worker.h"

namespace tarvex {

using mec16::Indicator;
namespace text = mec16::text;

// The tool's view of this window: the frame's view calls plus the indicators, all safe to
// make from the worker (they are carried over to the user-interface thread in order).
class TMEC16_Form::View final : public mec16::Mec16View {
 public:
  explicit View(TMEC16_Form& form) : form_(form) {}

  void logLine(const std::string& line) override { form_.logLine(line); }
  void clearLog() override { form_.clearLog(); }
  void setGaugeMaximum(int g, int maximum) override { form_.setGaugeMaximum(g, maximum); }
  void setGaugeProgress(int g, int progress) override { form_.setGaugeProgress(g, progress); }
  void setGaugeColor(int g, Rgb color) override { form_.setGaugeColor(g, color); }
  void setStartButtonsEnabled(bool enabled) override { form_.setStartButtonsEnabled(enabled); }
  std::optional<std::string> chooseFile(const FileDialogSpec& request) override {
    return form_.chooseFile(request);
  }
  void showErrorBox(const std::string& message) override { form_.showErrorBox(message); }
  bool askYesNo(const std::string& question) override { return form_.askYesNo(question); }
  void setIndicator(Indicator which, Rgb color) override { form_.paintIndicator(which, color); }

 private:
  TMEC16_Form& form_;
};

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setObjectName(name);
  b->setMinimumHeight(32);
  return b;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(name);
  return box;
}

}  // namespace

TMEC16_Form::TMEC16_Form(AppContext& context, QWidget* parent, mec16::Mec16Bounds bounds)
    : QtToolView(context, parent),
      view_(std::make_unique<View>(*this)),
      tool_(std::make_unique<mec16::Mec16Tool>(context.bus, *view_, bounds)),
      safe_(std::make_unique<mec16::Mec16SafeOps>(*tool_, *view_)),
      chain_(new ChainDriver([this](std::function<void()> body) { return makeWorker(std::move(body)); },
                             this)) {
  setObjectName("MEC16_Form");
  setWindowTitle(QString::fromUtf8(text::kCaption));
  // A fixed frame with a minimise box only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinimizeButtonHint);

  BitBtn_MEC16 = button(this, "BitBtn_MEC16", text::kCheckButton);
  Shape_BootLock_MEC = new Mec16Shape(this);
  Shape_BootLock_MEC->setObjectName("Shape_BootLock_MEC");
  Label_BootLock_MEC = new QLabel(QString::fromUtf8(text::kBootLockLabel), this);
  Label_BootLock_MEC->setObjectName("Label_BootLock_MEC");
  Shape_FWP_MEC16 = new Mec16Shape(this);
  Shape_FWP_MEC16->setObjectName("Shape_FWP_MEC16");
  Label_MEC16_FWP = new QLabel(QString::fromUtf8(text::kFwpLabel), this);
  Label_MEC16_FWP->setObjectName("Label_MEC16_FWP");
  CheckBox_MEC16_RD = checkBox(this, "CheckBox_MEC16_RD", text::kReadInfoBox);
  BitBtn_RD_MEC16 = button(this, "BitBtn_RD_MEC16", text::kReadButton);
  CheckBox_erase_mec16 = checkBox(this, "CheckBox_erase_mec16", text::kEraseInfoBox);
  BitBtn_MEC16_ERASE = button(this, "BitBtn_MEC16_ERASE", text::kEraseButton);
  CheckBox_write_mec16 = checkBox(this, "CheckBox_write_mec16", text::kWriteInfoBox);
  CheckBox_write_mec16->setEnabled(false);  // only the MAIN block can be written
  BitBtn_MEC16_WRITE = button(this, "BitBtn_MEC16_WRITE", text::kWriteButton);
  EXIT_MEC16 = button(this, "EXIT_MEC16", text::kExitButton);
  BitBtn_MEC16_HELP = button(this, "BitBtn_MEC16_HELP", text::kHelpButton);
  setExitButton(EXIT_MEC16);

  auto* controls = new QVBoxLayout;
  controls->addWidget(BitBtn_MEC16);
  auto* indicators = new QGridLayout;
  indicators->addWidget(Shape_BootLock_MEC, 0, 0);
  indicators->addWidget(Label_BootLock_MEC, 0, 1);
  indicators->addWidget(Shape_FWP_MEC16, 1, 0);
  indicators->addWidget(Label_MEC16_FWP, 1, 1);
  controls->addLayout(indicators);
  for (QWidget* w : {static_cast<QWidget*>(CheckBox_MEC16_RD), static_cast<QWidget*>(BitBtn_RD_MEC16),
                     static_cast<QWidget*>(CheckBox_erase_mec16),
                     static_cast<QWidget*>(BitBtn_MEC16_ERASE),
                     static_cast<QWidget*>(CheckBox_write_mec16),
                     static_cast<QWidget*>(BitBtn_MEC16_WRITE)}) {
    controls->addWidget(w);
  }
  controls->addStretch(1);
  controls->addWidget(EXIT_MEC16);
  controls->addWidget(BitBtn_MEC16_HELP);

  auto* memo = createLog("Memo_MEC16");
  memo->setFont(fixedFont());
  memo->setMinimumSize(560, 420);
  auto* right = new QVBoxLayout;
  right->addWidget(memo, 1);
  right->addWidget(createGauge("CGauge_MEC16", 768));

  auto* upper = new QHBoxLayout;
  upper->addLayout(controls);
  upper->addLayout(right, 1);
  Safety = new SafetyControls(true, context.backupsFolder, context.openFolder, this,
                              text::kBackupsFolderButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(upper);
  layout->addWidget(Safety);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(BitBtn_MEC16, &QPushButton::clicked, this, &TMEC16_Form::BitBtn_MEC16Click);
  connect(BitBtn_RD_MEC16, &QPushButton::clicked, this, &TMEC16_Form::BitBtn_RD_MEC16Click);
  connect(BitBtn_MEC16_ERASE, &QPushButton::clicked, this, &TMEC16_Form::BitBtn_MEC16_ERASEClick);
  connect(BitBtn_MEC16_WRITE, &QPushButton::clicked, this, &TMEC16_Form::BitBtn_MEC16_WRITEClick);
  connect(EXIT_MEC16, &QPushButton::clicked, this, &TMEC16_Form::EXIT_MEC16Click);
  connect(BitBtn_MEC16_HELP, &QPushButton::clicked, this, &TMEC16_Form::BitBtn_MEC16_HELPClick);

  for (const char* line : text::kInitialLines) logLine(line);

  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TMEC16_Form::~TMEC16_Form() {
  // Only at program exit can a stream still run: stop it and let it end (its waits are
  // bounded) before the tool it works on goes away.
  if (worker_) {
    tool_->exitOrStop();
    worker_->wait();
  }
}

void TMEC16_Form::paintIndicator(Indicator which, Rgb color) {
  runOnUi([this, which, color] {
    (which == Indicator::kFwp ? Shape_FWP_MEC16 : Shape_BootLock_MEC)->setColor(color);
  });
}

void TMEC16_Form::startWorker() {
  auto* worker = new ReadThread_MEC16(*tool_);
  worker_ = worker;
  worker->start();
}

ToolThread* TMEC16_Form::makeWorker(std::function<void()> body) {
  auto* worker = new ReadThread_MEC16(std::move(body));
  worker_ = worker;
  return worker;
}

SafetyOptions TMEC16_Form::safetyOptions() const { return Safety->options(); }

void TMEC16_Form::BitBtn_MEC16Click() {
  if (!chain_->running()) tool_->connectionCheck();
}

// With "Read twice and compare" checked the read runs as a chain of two reads, each on its
// own worker, compared before the image is saved.
void TMEC16_Form::BitBtn_RD_MEC16Click() {
  if (chain_->running()) return;
  if (!Safety->readTwice()) {
    if (tool_->startRead(CheckBox_MEC16_RD->isChecked())) startWorker();
    return;
  }
  if (!tool_->modeWord().idle()) return;
  doubleRead_.reset(
      new DoubleRead(mec16::mec16DoubleRead(*tool_, *view_, CheckBox_MEC16_RD->isChecked())));
  chain_->start(doubleRead_->chain());
}

// Erase and write run as a chain: the backup read, the documented operation and the
// read-back, each on its own worker; the buttons refuse meanwhile as during any stream.
void TMEC16_Form::BitBtn_MEC16_ERASEClick() {
  if (chain_->running() || !tool_->modeWord().idle()) return;
  chain_->start(safe_->erase(safetyOptions(), CheckBox_erase_mec16->isChecked()));
}

void TMEC16_Form::BitBtn_MEC16_WRITEClick() {
  if (chain_->running() || !tool_->modeWord().idle()) return;
  chain_->start(safe_->write(safetyOptions(), CheckBox_write_mec16->isChecked()));
}

void TMEC16_Form::EXIT_MEC16Click() {
  // Between two steps of a chain the tool is idle, but the window stays until the chain ends.
  if (tool_->exitOrStop() && !chain_->running()) returnToMainWindow();
}

void TMEC16_Form::BitBtn_MEC16_HELPClick() {
  if (!chain_->running()) tool_->help();
}

void TMEC16_Form::SaveDialog_MEC16CanClose() { markFileChosen(); }

void TMEC16_Form::OpenDialog_MEC16CanClose() { markFileChosen(); }

void TMEC16_Form::dialogCanClose(FileDialogSpec::Kind kind) {
  if (kind == FileDialogSpec::Kind::kSave) {
    SaveDialog_MEC16CanClose();
  } else {
    OpenDialog_MEC16CanClose();
  }
  // The operation goes on inside the handler; show the window without the dialog's imprint.
  repaint();
}

}  // namespace tarvex
