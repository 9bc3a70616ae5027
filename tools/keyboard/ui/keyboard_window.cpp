#include "tools/keyboard/ui/keyboard_window.h"

#include <QDeadlineTimer>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>

#include "widgets/caption_color.h"
#include "widgets/fixed_font.h"
#include "widgets/log_memo.h"
#include "tools/keyboard/keyboard_messages.h"
#include "tools/keyboard/ui/cell_shape.h"
#include "tools/keyboard/ui/read_thread_keyboard.h"

namespace tarvex {

using namespace keyboard;

namespace {

constexpr int kScanPeriodMs = 100;

// The grid's far corner, from the last cell (31, 32); labels and margins lie beyond it.
constexpr CellPosition kLastCell = cellPosition(kPinCount - 1, kPinCount);
constexpr int kRowLabelX = kLastCell.x + kCellWidth + 8;
constexpr int kWindowWidth = kRowLabelX + 40;
constexpr int kWindowHeight = kLastCell.y + kCellHeight + 24;

// The controls fill the empty triangle below the diagonal, left to right no wider than
// the rows beside them leave free.
constexpr int kControlsX = 24;
constexpr int kBuzzerY = 340;
constexpr int kButtonsY = 370;
constexpr int kStartY = 410;
constexpr int kMemoY = 490;
constexpr int kMemoWidth = 420;

QFont boldFont(int pixelSize) {
  QFont font;
  font.setBold(true);
  font.setPixelSize(pixelSize);  // pixel sizes: the layout does not follow the system font
  return font;
}

QString qs(const char* text) {
  return QString::fromUtf8(text);
}

}  // namespace

TKeyboard_testing::TKeyboard_testing(AppContext& context, QWidget* parent, ScanBounds bounds)
    : QtToolView(context, parent), tool_(context.bus, *this, *this, bounds) {
  setObjectName("Keyboard_testing");
  setWindowTitle(qs(text::kWindowCaption));
  // Left only through EXIT_KB_TEST: the title bar has no close button.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinimizeButtonHint);
  setFixedSize(kWindowWidth, kWindowHeight);
  createGrid();
  createLabels();
  createControls();
}

TKeyboard_testing::~TKeyboard_testing() {
  if (!workerRunning()) return;
  // The worker uses this window's tool: let it finish its scan before they go.
  tool_.exitClick();
  tool_.timerTick();
  worker_->wait(QDeadlineTimer(std::chrono::duration_cast<std::chrono::milliseconds>(
      bounds::kKeyboardReply + std::chrono::seconds(1))));
}

void TKeyboard_testing::createGrid() {
  for (int i = 1; i < kPinCount; ++i) {
    for (int j = i + 1; j <= kPinCount; ++j) {
      auto* cell = new CellShape(cell_colors::kAqua, this);
      cell->setObjectName(QString::fromStdString(cellName(i, j)));
      const CellPosition at = cellPosition(i, j);
      cell->setGeometry(at.x, at.y, kCellWidth, kCellHeight);
      shapes_[static_cast<std::size_t>(cellNumber(i, j))] = cell;
    }
  }
}

void TKeyboard_testing::createLabels() {
  // The column numbers are one text spaced with blanks. In a fixed-pitch font, with each
  // run of blanks widened so that a two-digit number and the eight blanks after it span
  // one group of five columns (128 pixels), each number stands over its column.
  Label_keybord = new QLabel(qs(text::kColumnLabels), this);
  Label_keybord->setObjectName("Label_keybord");
  QFont columnFont = fixedFont(13, true);
  const QFontMetricsF metrics(columnFont);
  columnFont.setWordSpacing(128.0 - 2 * metrics.horizontalAdvance('0') -
                            8 * metrics.horizontalAdvance(' '));
  Label_keybord->setFont(columnFont);
  Label_keybord->setStyleSheet("color: #FF0000;");
  Label_keybord->move(cellPosition(1, 2).x + 5, 16);
  Label_keybord->adjustSize();

  // Label1..Label5, Label7, Label8 beside rows 1, 6, 11, 16, 21, 26 and 31.
  static constexpr std::array<const char*, 7> kNames{"Label1", "Label2", "Label3", "Label4",
                                                     "Label5", "Label7", "Label8"};
  for (std::size_t k = 0; k < kNames.size(); ++k) {
    const int row = text::kLabelledRows[k];
    auto* label = new QLabel(QString::number(row), this);
    label->setObjectName(kNames[k]);
    label->setFont(boldFont(13));
    label->setStyleSheet("color: #000080;");
    label->move(kRowLabelX, cellPosition(row, kPinCount).y);
    label->adjustSize();
  }
}

void TKeyboard_testing::createControls() {
  Buzzer_box = new QCheckBox(qs(text::kNoSound), this);
  Buzzer_box->setObjectName("Buzzer_box");
  Buzzer_box->setGeometry(kControlsX, kBuzzerY, 150, 22);
  connect(Buzzer_box, &QCheckBox::toggled, this, &TKeyboard_testing::Buzzer_boxClick);

  EXIT_KB_TEST = new QPushButton(qs(text::kExit), this);
  EXIT_KB_TEST->setObjectName("EXIT_KB_TEST");
  EXIT_KB_TEST->setGeometry(kControlsX, kButtonsY, 100, 30);
  connect(EXIT_KB_TEST, &QPushButton::clicked, this, &TKeyboard_testing::EXIT_KB_TESTClick);

  Clear = new QPushButton(qs(text::kClear), this);
  Clear->setObjectName("Clear");
  Clear->setGeometry(kControlsX + 110, kButtonsY, 100, 30);
  setCaptionColor(Clear, QStringLiteral("#00FFFF"));
  connect(Clear, &QPushButton::clicked, this, &TKeyboard_testing::ClearClick);

  START_SCAN = new QPushButton(qs(text::kStartScan), this);
  START_SCAN->setObjectName("START_SCAN");
  START_SCAN->setGeometry(kControlsX, kStartY, 210, 60);
  START_SCAN->setFont(boldFont(18));
  setCaptionColor(START_SCAN, QStringLiteral("#FF0000"));
  connect(START_SCAN, &QPushButton::clicked, this, &TKeyboard_testing::START_SCANClick);
  addStartButton(START_SCAN);

  auto* memo = createLog("Memo_keyboard");
  memo->setGeometry(kControlsX, kMemoY, kMemoWidth, kWindowHeight - kMemoY - 16);

  Timer_keyboard_scan = new QTimer(this);
  Timer_keyboard_scan->setObjectName("Timer_keyboard_scan");
  Timer_keyboard_scan->setInterval(kScanPeriodMs);
  connect(Timer_keyboard_scan, &QTimer::timeout, this,
          &TKeyboard_testing::Timer_keyboard_scanTimer);
}

void TKeyboard_testing::showEvent(QShowEvent* event) {
  QtToolView::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TKeyboard_testing::START_SCANClick() {
  tool_.startScanClick([this] {
    auto* worker = new ReadThread_keyboard(tool_);
    worker_ = worker;
    worker->start();
  });
}

void TKeyboard_testing::EXIT_KB_TESTClick() {
  if (tool_.exitClick()) returnToMainWindow();
}

void TKeyboard_testing::ClearClick() {
  tool_.clearClick();
}

void TKeyboard_testing::Buzzer_boxClick() {
  tool_.setNoSound(Buzzer_box->isChecked());
}

void TKeyboard_testing::Timer_keyboard_scanTimer() {
  tool_.timerTick();
}

CellShape* TKeyboard_testing::shape(int first, int second) const {
  if (!namesCell(first, second)) return nullptr;
  return shapes_[static_cast<std::size_t>(cellNumber(first, second))];
}

bool TKeyboard_testing::workerRunning() const {
  return worker_ && !worker_->isFinished();
}

void TKeyboard_testing::paintCell(int first, int second) {
  if (CellShape* cell = shape(first, second)) cell->setColor(tool_.cells().color(first, second));
}

void TKeyboard_testing::cellChanged(int first, int second) {
  runOnUi([this, first, second] { paintCell(first, second); });
}

void TKeyboard_testing::allCellsChanged() {
  runOnUi([this] {
    for (int i = 1; i < kPinCount; ++i) {
      for (int j = i + 1; j <= kPinCount; ++j) paintCell(i, j);
    }
  });
}

void TKeyboard_testing::setExitCaption(const std::string& caption) {
  runOnUi([this, text = QString::fromStdString(caption)] { EXIT_KB_TEST->setText(text); });
}

void TKeyboard_testing::setScanTimerEnabled(bool enabled) {
  runOnUi([this, enabled] {
    if (enabled) {
      Timer_keyboard_scan->start();
    } else {
      Timer_keyboard_scan->stop();
    }
  });
}

}  // namespace tarvex
