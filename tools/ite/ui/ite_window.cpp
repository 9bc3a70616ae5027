#include "tools/ite/ui/ite_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "widgets/fixed_font.h"
#include "widgets/gauge_widget.h"
#include "widgets/log_memo.h"
#include "base/printable.h"
#include "tools/ite/ite_double_read.h"
#include "tools/ite/ite_messages.h"
#include "tools/ite/ite_safe_write.h"
#include "tools/ite/ui/read_thread_ite.h"

namespace tarvex {
namespace {

namespace text = ite_text;

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

QString cssColor(Rgb c) {
  return QStringLiteral("#%1%2%3")
      .arg(c.r, 2, 16, QLatin1Char('0'))
      .arg(c.g, 2, 16, QLatin1Char('0'))
      .arg(c.b, 2, 16, QLatin1Char('0'))
      .toUpper();
}

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(qs(caption), parent);
  b->setObjectName(name);
  QFont font = b->font();
  font.setBold(true);
  b->setFont(font);
  b->setMinimumHeight(36);
  return b;
}

}  // namespace

TITE_FORM::TITE_FORM(AppContext& context, QWidget* parent, IteBounds bounds)
    : QtToolView(context, parent),
      tool_(context.bus, *this, *this, bounds),
      safeWrite_(iteSafeWrite(tool_, *this)),
      doubleRead_(iteDoubleRead(tool_, *this)),
      chain_(new ChainDriver([this](std::function<void()> body) { return makeWorker(std::move(body)); },
                             this)) {
  setObjectName("ITE_FORM");
  setWindowTitle(qs(text::kCaption));
  // Fixed size, minimise button only: EXIT is the way back.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinimizeButtonHint);

  ITE_ComboBox_MB_SWITCH = new QComboBox(this);
  ITE_ComboBox_MB_SWITCH->setObjectName("ITE_ComboBox_MB_SWITCH");
  ITE_ComboBox_MB_SWITCH->setEditable(false);
  ITE_ComboBox_MB_SWITCH->setMaxVisibleItems(30);
  // Preset lines are long; the list shows a fixed width and the drop-down the whole lines.
  ITE_ComboBox_MB_SWITCH->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  ITE_ComboBox_MB_SWITCH->setMinimumContentsLength(70);

  ITE_CheckBox = new QCheckBox(qs(text::kOrientation), this);
  ITE_CheckBox->setObjectName("ITE_CheckBox");
  ITE_CheckBox->setChecked(true);
  ITE_CheckBox->setEnabled(false);

  GroupBox1 = buildPinGroup();

  ITE_CHECK_CON_BitBtn = button(this, "ITE_CHECK_CON_BitBtn", text::kCheckButton);
  ITE_READ_BitBtn = button(this, "ITE_READ_BitBtn", text::kReadButton);
  ITE_WRITE_BitBtn = button(this, "ITE_WRITE_BitBtn", text::kWriteButton);
  ITE_EXIT_BitBtn = button(this, "ITE_EXIT_BitBtn", text::kExitButton);
  setExitButton(ITE_EXIT_BitBtn);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ITE_CHECK_CON_BitBtn);
  buttons->addWidget(ITE_READ_BitBtn);
  buttons->addWidget(ITE_WRITE_BitBtn);
  buttons->addStretch(1);
  buttons->addWidget(ITE_EXIT_BitBtn);

  auto* upper = new QHBoxLayout;
  upper->addWidget(GroupBox1, 1);
  upper->addLayout(buttons);

  auto* memo = createLog("ITE_Memo1");
  memo->setFont(fixedFont());
  memo->setMinimumSize(760, 300);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ITE_ComboBox_MB_SWITCH);
  layout->addWidget(ITE_CheckBox);
  layout->addLayout(upper);
  layout->addWidget(memo, 1);
  layout->addWidget(createGauge("ITE_CGauge1", IteTool::kPages));
  layout->addWidget(createGauge("SPEED_ITE_CGauge", 256));
  Safety = new SafetyControls(true, context.backupsFolder, context.openFolder, this);
  layout->addWidget(Safety);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ITE_ComboBox_MB_SWITCH, &QComboBox::activated, this,
          &TITE_FORM::ITE_ComboBox_MB_SWITCHSelect);
  connect(ITE_CheckBox, &QCheckBox::clicked, this, &TITE_FORM::ITE_CheckBoxClick);
  connect(ITE_SETUP_BitBtn, &QPushButton::clicked, this, &TITE_FORM::ITE_SETUP_BitBtnClick);
  connect(ITE_CHECK_CON_BitBtn, &QPushButton::clicked, this,
          &TITE_FORM::ITE_CHECK_CON_BitBtnClick);
  connect(ITE_READ_BitBtn, &QPushButton::clicked, this, &TITE_FORM::ITE_READ_BitBtnClick);
  connect(ITE_WRITE_BitBtn, &QPushButton::clicked, this, &TITE_FORM::ITE_WRITE_BitBtnClick);
  connect(ITE_EXIT_BitBtn, &QPushButton::clicked, this, &TITE_FORM::ITE_EXIT_BitBtnClick);

  if (const QScreen* screen = this->screen()) {
    adjustSize();
    move(screen->availableGeometry().center() - rect().center());
  }
  ITE_ComboBox_MB_SWITCH->setFocus();
  FormCreate();
}

TITE_FORM::~TITE_FORM() {
  if (worker_) worker_->wait();
}

QGroupBox* TITE_FORM::buildPinGroup() {
  auto* group = new QGroupBox(qs(text::kPinGroup), this);
  group->setObjectName("GroupBox1");
  auto* grid = new QGridLayout(group);
  constexpr int kRowsPerColumn = 8;
  for (int i = 0; i < kPinBoxCount; ++i) {
    const PinBox& pinBox = kPinBoxes[i];
    auto* label = new QLabel(qs(pinBox.label), group);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(cssColor(pinBox.labelColor)));
    PinLabel[i] = label;

    auto* box = new QComboBox(group);
    box->setObjectName(QStringLiteral("ComboBox%1").arg(i + 1));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);  // "1" must not turn into "10" while typing
    box->addItem(qs(text::kNotConnected));
    for (int pin = 1; pin <= kHighestPin; ++pin) box->addItem(QString::number(pin));
    box->lineEdit()->setMaxLength(2);
    box->setCurrentIndex(0);
    pins_[i] = 0;
    connect(box, &QComboBox::activated, this, [this, i](int index) { pins_[i] = index; });
    connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, i, box](const QString& typed) {
      pins_[i] = box->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
    });
    ComboBox[i] = box;

    const int row = i % kRowsPerColumn, column = (i / kRowsPerColumn) * 2;
    grid->addWidget(label, row, column);
    grid->addWidget(box, row, column + 1);
  }
  // ComboBox1 shows "NC" but has nothing selected until a value is picked for it.
  ComboBox[0]->setCurrentIndex(-1);
  ComboBox[0]->setEditText(qs(text::kNotConnected));
  pins_[0] = kNoSelection;

  ITE_SETUP_BitBtn = button(group, "ITE_SETUP_BitBtn", text::kSetupButton);
  grid->addWidget(ITE_SETUP_BitBtn, kRowsPerColumn - 1, 2, 1, 2);
  return group;
}

void TITE_FORM::FormCreate() { tool_.formCreate(context().itePresetsFilePath); }

bool TITE_FORM::workerAlive() const { return worker_ && !worker_->isFinished(); }

void TITE_FORM::startWorkerIf(bool start) {
  if (!start) return;
  worker_ = new ReadThread_ITE(tool_);
  worker_->start();
}

void TITE_FORM::ITE_ComboBox_MB_SWITCHSelect() {
  tool_.presetSelected(ITE_ComboBox_MB_SWITCH->currentIndex());
}

void TITE_FORM::ITE_CheckBoxClick() { tool_.orientationClicked(); }

ToolThread* TITE_FORM::makeWorker(std::function<void()> body) {
  worker_ = new ReadThread_ITE(std::move(body));
  return worker_;
}

// Between two steps of a write the tool is idle; the buttons refuse until the write's last
// step has ended.
void TITE_FORM::ITE_SETUP_BitBtnClick() {
  if (!chain_->running()) tool_.sendSettings();
}

void TITE_FORM::ITE_CHECK_CON_BitBtnClick() {
  if (!chain_->running()) tool_.checkConnection();
}

// With "Read twice and compare" checked the read runs as a chain of two reads, each on its
// own worker, compared before the image is saved.
void TITE_FORM::ITE_READ_BitBtnClick() {
  if (chain_->running()) return;
  if (!Safety->readTwice()) return startWorkerIf(tool_.startRead());
  if (tool_.mode().idle()) chain_->start(doubleRead_.chain());
}

// The write runs as a chain: the backup read, the documented erase and write, and the
// read-back, each on its own worker.
void TITE_FORM::ITE_WRITE_BitBtnClick() {
  if (chain_->running() || !tool_.mode().idle()) return;
  SafetyOptions options = Safety->options();
  chain_->start(safeWrite_.chain(options));
}

void TITE_FORM::ITE_EXIT_BitBtnClick() {
  if (!chain_->running() && tool_.exitRequested()) returnToMainWindow();
}

void TITE_FORM::ITE_SaveDialogCanClose() { markFileChosen(); }

void TITE_FORM::ITE_OpenDialogCanClose() { markFileChosen(); }

void TITE_FORM::dialogCanClose(FileDialogSpec::Kind kind) {
  if (kind == FileDialogSpec::Kind::kSave) {
    ITE_SaveDialogCanClose();
  } else {
    ITE_OpenDialogCanClose();
  }
  // The click handler goes on; show the window as it is now, not with the dialog's
  // imprint on it.
  repaint();
}

QPushButton* TITE_FORM::buttonFor(IteButton button) const {
  switch (button) {
    case IteButton::kSetup: return ITE_SETUP_BitBtn;
    case IteButton::kCheck: return ITE_CHECK_CON_BitBtn;
    case IteButton::kRead: return ITE_READ_BitBtn;
    case IteButton::kWrite: return ITE_WRITE_BitBtn;
    case IteButton::kExit: return ITE_EXIT_BitBtn;
  }
  return nullptr;
}

void TITE_FORM::setButtonEnabled(IteButton button, bool enabled) {
  runOnUi([this, button, enabled] {
    if (QPushButton* target = buttonFor(button)) target->setEnabled(enabled);
  });
}

void TITE_FORM::setPresetItems(const std::vector<std::string>& items, bool fileMissing) {
  ITE_ComboBox_MB_SWITCH->clear();
  for (const auto& item : items) {
    ITE_ComboBox_MB_SWITCH->addItem(QString::fromStdString(printable(item)));
  }
  ITE_ComboBox_MB_SWITCH->setStyleSheet(fileMissing ? QStringLiteral("QComboBox { color: #FF0000; }")
                                                    : QStringLiteral("QComboBox { color: #000000; }"));
}

void TITE_FORM::selectPresetItem(int index) { ITE_ComboBox_MB_SWITCH->setCurrentIndex(index); }

int TITE_FORM::pinIndex(int box) const { return pins_[box]; }

void TITE_FORM::setPinIndex(int box, int index) {
  const bool listed = index >= 0 && index <= kHighestPin;
  ComboBox[box]->setCurrentIndex(listed ? index : -1);
  pins_[box] = listed ? index : kNoSelection;
}

bool TITE_FORM::orientationChecked() const { return ITE_CheckBox->isChecked(); }

void TITE_FORM::setOrientationChecked(bool checked) { ITE_CheckBox->setChecked(checked); }

void TITE_FORM::setOrientationEnabled(bool enabled) { ITE_CheckBox->setEnabled(enabled); }

}  // namespace tarvex
