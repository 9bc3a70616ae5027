// The keyboard tester window, offscreen, driven through its controls against the software
// adapter and its emulated keyboard, with the window's own 100 ms timer pacing the scan.

#include "tools/keyboard/ui/keyboard_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <chrono>
#include <functional>

#include "widgets/log_memo.h"
#include "emulator/emulator_bus.h"
#include "emulator/keyboard/emulated_keyboard.h"
#include "tests/support/scripted_dialogs.h"
#include "tools/keyboard/ui/cell_shape.h"

namespace tarvex::test {
namespace {

using namespace std::chrono_literals;
using keyboard::cell_colors::kAqua;
using keyboard::cell_colors::kRed;
using keyboard::cell_colors::kYellow;

void ensureApplication() {
  static int argc = 1;
  static char name[] = "tests_keyboard";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

// Runs the event loop until the condition holds or the bound passes.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound = 5s) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

class KeyboardWindow : public testing::Test {
 protected:
  void SetUp() override {
    ensureApplication();
    adapter_->addHandler(keyboard_);
    // Only the first reply counts as coming before any key press: these tests press keys
    // far sooner after START than a hand could.
    window_ = std::make_unique<TKeyboard_testing>(context_, nullptr,
                                                  keyboard::ScanBounds{.startWindow = 0s});
    window_->show();
  }
  void TearDown() override {
    if (window_->tool().scanning()) window_->EXIT_KB_TEST->click();
    ASSERT_TRUE(waitUntil([this] { return !window_->workerRunning(); }));
    window_.reset();
  }

  Rgb color(int first, int second) const { return window_->shape(first, second)->color(); }
  // Waits until the reply to the scan's first request has gone out.
  bool firstReplySent() const {
    return waitUntil([this] { return keyboard_->replyCount() >= 1; });
  }
  bool idle() const {
    return !window_->workerRunning() && window_->START_SCAN->isEnabled() &&
           window_->EXIT_KB_TEST->text() == "EXIT";
  }
  std::size_t sentCount(std::uint8_t byte) const {
    const auto all = adapter_->lastOpenReceived();
    return static_cast<std::size_t>(std::count(all.begin(), all.end(), byte));
  }

  emu::EmulatorBus bus_;
  std::shared_ptr<emu::EmulatedAdapter> adapter_ = bus_.attach(emu::tags::v41());
  std::shared_ptr<emu::EmulatedKeyboard> keyboard_ = std::make_shared<emu::EmulatedKeyboard>();
  ScriptedDialogs dialogs_;
  int mainWindowShown_ = 0;
  AppContext context_{bus_, dialogs_, [this] { ++mainWindowShown_; }, "", ""};
  std::unique_ptr<TKeyboard_testing> window_;
};

TEST_F(KeyboardWindow, GridAndControlsAreLaidOutWithoutOverlap) {
  EXPECT_EQ(window_->windowTitle(), "Keyboard_testing");
  EXPECT_FALSE(window_->windowFlags() & Qt::WindowCloseButtonHint);
  const auto shapes = window_->findChildren<CellShape*>();
  EXPECT_EQ(shapes.size(), 496);
  auto* shape71 = window_->findChild<CellShape*>("Shape71");
  ASSERT_NE(shape71, nullptr);
  EXPECT_EQ(shape71->geometry(), QRect(24 + 24 * 5 + 8, 40 + 24 * 2, 17, 15));
  ASSERT_NE(window_->findChild<CellShape*>("Shape992"), nullptr);
  EXPECT_EQ(window_->findChild<CellShape*>("Shape33"), nullptr);  // (2, 1) is no cell
  for (const CellShape* shape : shapes) EXPECT_EQ(shape->color(), kAqua);

  // Every control sits clear of every cell, inside the window.
  const QList<QWidget*> controls{window_->Buzzer_box, window_->EXIT_KB_TEST,
                                 window_->Clear,      window_->START_SCAN,
                                 window_->logMemo(),  window_->Label_keybord};
  for (const QWidget* control : controls) {
    EXPECT_TRUE(window_->rect().contains(control->geometry()))
        << control->objectName().toStdString();
    for (const CellShape* shape : shapes) {
      EXPECT_FALSE(control->geometry().intersects(shape->geometry()))
          << control->objectName().toStdString() << " covers " << shape->objectName().toStdString();
    }
  }
  for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label7", "Label8"}) {
    EXPECT_NE(window_->findChild<QLabel*>(name), nullptr) << name;
  }
  EXPECT_EQ(window_->findChild<QLabel*>("Label8")->text(), "31");
  EXPECT_EQ(window_->Buzzer_box->text(), " No sound");
  EXPECT_EQ(window_->Timer_keyboard_scan->interval(), 100);
  EXPECT_FALSE(window_->Timer_keyboard_scan->isActive());
}

TEST_F(KeyboardWindow, ScanShowsPressedKeysAndStopReturnsToIdle) {
  window_->START_SCAN->click();
  EXPECT_FALSE(window_->START_SCAN->isEnabled());
  EXPECT_EQ(window_->EXIT_KB_TEST->text(), "STOP");
  EXPECT_TRUE(window_->Timer_keyboard_scan->isActive());
  EXPECT_EQ(window_->logMemo()->line(window_->logMemo()->lineCount() - 1),
            "Communication with programmer installed.");

  ASSERT_TRUE(firstReplySent());
  keyboard_->pressKey(3, 7);
  ASSERT_TRUE(waitUntil([this] { return color(3, 7) == kRed; }));
  keyboard_->pressKey(7, 3);
  ASSERT_TRUE(waitUntil([this] { return color(3, 7) == kYellow; }));

  window_->EXIT_KB_TEST->click();
  ASSERT_TRUE(waitUntil([this] { return idle(); }));
  EXPECT_FALSE(window_->Timer_keyboard_scan->isActive());
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(mainWindowShown_, 0);
  EXPECT_EQ(adapter_->lastOpenReceived().back(), 'Q');
  EXPECT_EQ(sentCount('I'), 2u);
  EXPECT_FALSE(adapter_->isOpen());
}

TEST_F(KeyboardWindow, ClearRepaintsDuringAScanAndNoSoundSilencesTheBuzzer) {
  window_->Buzzer_box->click();
  window_->START_SCAN->click();
  ASSERT_TRUE(firstReplySent());
  keyboard_->pressKey(1, 2);
  ASSERT_TRUE(waitUntil([this] { return color(1, 2) == kRed; }));
  window_->Clear->click();
  EXPECT_EQ(color(1, 2), kAqua);
  keyboard_->pressKey(1, 2);
  ASSERT_TRUE(waitUntil([this] { return color(1, 2) == kRed; }));
  window_->EXIT_KB_TEST->click();
  ASSERT_TRUE(waitUntil([this] { return idle(); }));
  EXPECT_EQ(sentCount('I'), 0u);
}

TEST_F(KeyboardWindow, AStuckKeyIsPaintedApartNamedInTheLogAndSummarisedAtStop) {
  keyboard_->holdKey(3, 7);
  window_->START_SCAN->click();
  ASSERT_TRUE(waitUntil([this] { return color(3, 7) == keyboard::cell_colors::kFuchsia; }));
  keyboard_->pressKey(1, 2);
  ASSERT_TRUE(waitUntil([this] { return color(1, 2) == kRed; }));
  EXPECT_EQ(color(3, 7), keyboard::cell_colors::kFuchsia);
  window_->EXIT_KB_TEST->click();
  ASSERT_TRUE(waitUntil([this] { return idle(); }));
  const LogMemo* memo = window_->logMemo();
  int stuckLines = 0;
  for (int i = 0; i < memo->lineCount(); ++i) {
    stuckLines += memo->line(i) == "Pins 3-7 connected at start: shorted lines or a stuck key.";
  }
  EXPECT_EQ(stuckLines, 1);
  EXPECT_EQ(memo->line(memo->lineCount() - 1),
            "Scan summary: 2 distinct pin pairs seen: 1-2, 3-7 (connected at start)");
  // Clear takes the mark off like any colour.
  window_->Clear->click();
  ASSERT_TRUE(waitUntil([this] { return color(3, 7) == kAqua; }));
}

TEST_F(KeyboardWindow, ExitWhileIdleLeavesAndWithoutAdapterStaysIdle) {
  bus_.detachAll();
  window_->START_SCAN->click();
  EXPECT_TRUE(window_->START_SCAN->isEnabled());
  EXPECT_EQ(window_->logMemo()->line(0), "VCOM port is not found on the machine!");
  window_->EXIT_KB_TEST->click();
  EXPECT_EQ(mainWindowShown_, 1);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(KeyboardWindow, ClosingTheWindowMidScanLetsTheWorkerFinish) {
  window_->START_SCAN->click();
  ASSERT_TRUE(window_->workerRunning());
  window_.reset();
  EXPECT_FALSE(adapter_->isOpen());
  window_ = std::make_unique<TKeyboard_testing>(context_);
}

}  // namespace
}  // namespace tarvex::test
