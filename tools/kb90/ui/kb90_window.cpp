#include "tools/kb90/ui/kb90_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

#include "widgets/caption_color.h"
#include "widgets/fixed_font.h"
#include "widgets/gauge_widget.h"
#include "widgets/log_memo.h"
#include "base/printable.h"
#include "tools/kb90/kb90_commands.h"
#include "tools/kb90/kb90_double_read.h"
#include "tools/kb90/kb90_messages.h"
#include "tools/kb90/kb90_safe_write.h"
#include "tools/kb90/ui/read_thread_kb90.h"

namespace tarvex {
namespace {

namespace text = kb90::text;

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

QPushButton* operationButton(QWidget* parent, const char* name, const char* caption,
                             const char* textColor) {
  auto* button = new QPushButton(qs(caption), parent);
  button->setObjectName(name);
  QFont font = button->font();
  font.setBold(true);
  button->setFont(font);
  setCaptionColor(button, QString::fromLatin1(textColor));
  button->setMinimumHeight(40);
  return button;
}

// An editable drop-down list whose typed text stays short; the items themselves (and the
// prompts set by the program) may be longer.
QComboBox* choiceBox(QWidget* parent, const char* name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMaxVisibleItems(20);
  box->lineEdit()->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral(".{0,15}")), box));
  box->setEnabled(false);
  return box;
}

}  // namespace

TKB901X_forms::TKB901X_forms(AppContext& context, QWidget* parent, kb90::Kb90Bounds bounds)
    : QtToolView(context, parent),
      tool_(context.bus, *this, *this, bounds),
      wiring_(*this),
      safeWrite_(kb90::kb90SafeWrite(tool_, *this)),
      doubleRead_(kb90::kb90DoubleRead(tool_, *this)),
      chain_(new ChainDriver([this](std::function<void()> body) { return makeWorker(std::move(body)); },
                             this)) {
  setObjectName("KB901X_forms");
  setWindowTitle(qs(text::kCaption));
  // No close box: EXIT_KB901X is the way back.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  KB901X_READ = operationButton(this, "KB901X_READ", text::kReadButton, "#008000");
  KB901X_WRITE = operationButton(this, "KB901X_WRITE", text::kWriteButton, "#FF0000");
  EXIT_KB901X = new QPushButton(qs(text::kExitButton), this);
  EXIT_KB901X->setObjectName("EXIT_KB901X");
  setExitButton(EXIT_KB901X);

  GroupBox1 = new QGroupBox(qs(text::kHelpFrame), this);
  GroupBox1->setObjectName("GroupBox1");
  ComboBox_KB901X = choiceBox(GroupBox1, "ComboBox_KB901X");
  ComboBox_KB901X->setEditText(qs(text::kChooseBoard));
  ComboBox_KB901X_FFC = choiceBox(GroupBox1, "ComboBox_KB901X_FFC");
  for (const char* item : text::kCableItems) ComboBox_KB901X_FFC->addItem(qs(item));
  ComboBox_KB901X_FFC->setCurrentIndex(-1);
  ComboBox_KB901X_FFC->setEditText(qs(text::kChooseCable));
  CheckBox_KB901X = new QCheckBox(qs(text::kPin1Check), GroupBox1);
  CheckBox_KB901X->setObjectName("CheckBox_KB901X");
  CheckBox_KB901X->setChecked(true);
  CheckBox_KB901X->setEnabled(false);
  Label_result = new QLabel(qs(text::kResultAtStart), GroupBox1);
  Label_result->setObjectName("Label_result");
  QFont bold = Label_result->font();
  bold.setBold(true);
  Label_result->setFont(bold);

  auto* help = new QVBoxLayout(GroupBox1);
  help->addWidget(ComboBox_KB901X);
  help->addWidget(ComboBox_KB901X_FFC);
  help->addWidget(CheckBox_KB901X);
  help->addWidget(Label_result);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(KB901X_READ);
  buttons->addWidget(KB901X_WRITE);
  buttons->addStretch(1);
  buttons->addWidget(EXIT_KB901X);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(GroupBox1);
  auto* memo = createLog("KB901X_Memo");
  memo->setFont(fixedFont());
  layout->addWidget(memo, 1);
  layout->addWidget(createGauge("CGauge_KB901X", kb90::kGaugeMaximum));
  Safety = new SafetyControls(false, context.backupsFolder, context.openFolder, this);
  layout->addWidget(Safety);

  connect(KB901X_READ, &QPushButton::clicked, this, &TKB901X_forms::KB901X_READClick);
  connect(KB901X_WRITE, &QPushButton::clicked, this, &TKB901X_forms::KB901X_WRITEClick);
  connect(EXIT_KB901X, &QPushButton::clicked, this, &TKB901X_forms::EXIT_KB901XClick);
  connect(ComboBox_KB901X, &QComboBox::activated, this, &TKB901X_forms::ComboBox_KB901XSelect);
  connect(ComboBox_KB901X_FFC, &QComboBox::activated, this,
          &TKB901X_forms::ComboBox_KB901X_FFCSelect);
  connect(CheckBox_KB901X, &QCheckBox::clicked, this, &TKB901X_forms::CheckBox_KB901XClick);

  resize(640, 560);
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  FormCreate();
}

TKB901X_forms::~TKB901X_forms() {
  if (worker_) worker_->wait();
}

void TKB901X_forms::FormCreate() { wiring_.load(context().kb90BaseFilePath); }

bool TKB901X_forms::workerAlive() const { return worker_ && !worker_->isFinished(); }

ToolThread* TKB901X_forms::makeWorker(std::function<void()> body) {
  worker_ = new ReadThread_KB90(std::move(body));
  return worker_;
}

void TKB901X_forms::startTransfer(bool (kb90::Kb90Tool::*click)()) {
  if (inHandler_ || chain_->running()) return;
  inHandler_ = true;
  if ((tool_.*click)()) {
    worker_ = new ReadThread_KB90(tool_);
    worker_->start();
    tool_.beginTransfer();
  }
  inHandler_ = false;
}

// With "Read twice and compare" checked the read runs as a chain of two reads, each on its
// own worker, compared before the image is saved.
void TKB901X_forms::KB901X_READClick() {
  if (!Safety->readTwice()) return startTransfer(&kb90::Kb90Tool::readClick);
  if (inHandler_ || chain_->running() || !tool_.mode().idle()) return;
  chain_->start(doubleRead_.chain());
}

// The write runs as a chain: the backup read, then the documented write with the
// adapter's own verification, each on its own worker.
void TKB901X_forms::KB901X_WRITEClick() {
  if (inHandler_ || chain_->running() || !tool_.mode().idle()) return;
  SafetyOptions options = Safety->options();
  options.verify = false;  // the adapter verifies the write itself
  chain_->start(safeWrite_.chain(options));
}

void TKB901X_forms::EXIT_KB901XClick() {
  if (inHandler_ || chain_->running() || !tool_.exitClick()) return;
  returnToMainWindow();
}

kb90::WiringInputs TKB901X_forms::wiringInputs() const {
  // A listed board is read back as the base file has it, not as the list shows it.
  const int index = ComboBox_KB901X->currentIndex();
  const bool listed =
      index >= 0 && ComboBox_KB901X->itemText(index) == ComboBox_KB901X->currentText();
  const std::string board = listed ? ComboBox_KB901X->itemData(index).toByteArray().toStdString()
                                   : ComboBox_KB901X->currentText().toStdString();
  return {board, ComboBox_KB901X_FFC->currentText().toStdString(), CheckBox_KB901X->isChecked()};
}

void TKB901X_forms::ComboBox_KB901XSelect() { wiring_.boardSelected(wiringInputs()); }

void TKB901X_forms::ComboBox_KB901X_FFCSelect() { wiring_.cableSelected(wiringInputs()); }

void TKB901X_forms::CheckBox_KB901XClick() { wiring_.orientationClicked(wiringInputs()); }

void TKB901X_forms::SaveDialog_KB90CanClose() { markFileChosen(); }

void TKB901X_forms::OpenDialog_KB90CanClose() { markFileChosen(); }

void TKB901X_forms::dialogCanClose(FileDialogSpec::Kind kind) {
  if (kind == FileDialogSpec::Kind::kSave) {
    SaveDialog_KB90CanClose();
  } else {
    OpenDialog_KB90CanClose();
  }
  // The click handler goes on; show the window as it is now, not with the dialog's
  // imprint on it.
  repaint();
}

void TKB901X_forms::setButtonEnabled(kb90::Kb90Button button, bool enabled) {
  runOnUi([this, button, enabled] {
    QPushButton* target = button == kb90::Kb90Button::kRead    ? KB901X_READ
                          : button == kb90::Kb90Button::kWrite ? KB901X_WRITE
                                                               : EXIT_KB901X;
    target->setEnabled(enabled);
  });
}

QComboBox* TKB901X_forms::comboFor(kb90::WiringChoice choice) const {
  return choice == kb90::WiringChoice::kBoard ? ComboBox_KB901X : ComboBox_KB901X_FFC;
}

void TKB901X_forms::addBoardItems(const std::vector<std::string>& items) {
  const QString text = ComboBox_KB901X->currentText();
  // The list shows each entry with its control characters escaped and keeps its bytes.
  for (const auto& item : items) {
    ComboBox_KB901X->addItem(QString::fromStdString(printable(item)),
                             QByteArray(item.data(), static_cast<qsizetype>(item.size())));
  }
  // Adding items to an empty list selects the first; nothing is chosen until the user
  // chooses, and the prompt stays.
  ComboBox_KB901X->setCurrentIndex(-1);
  ComboBox_KB901X->setEditText(text);
}

void TKB901X_forms::setChoicesEnabled(bool enabled) {
  ComboBox_KB901X->setEnabled(enabled);
  ComboBox_KB901X_FFC->setEnabled(enabled);
  CheckBox_KB901X->setEnabled(enabled);
}

void TKB901X_forms::setChoiceText(kb90::WiringChoice choice, const std::string& text) {
  comboFor(choice)->setEditText(QString::fromStdString(text));
}

void TKB901X_forms::setChoiceColor(kb90::WiringChoice choice, kb90::ChoiceColor color) {
  comboFor(choice)->setStyleSheet(color == kb90::ChoiceColor::kYellow
                                      ? QStringLiteral("QComboBox { background: #FFFF00; }")
                                      : QStringLiteral("QComboBox { background: palette(button); }"));
}

void TKB901X_forms::setResultText(const std::string& text) {
  Label_result->setText(QString::fromStdString(text));
}

void TKB901X_forms::showWiringError(const std::string& text) {
  context().dialogs.showError(text, this);
}

}  // namespace tarvex
