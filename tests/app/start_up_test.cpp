// Start-up, switching between the main window and the tools, and errors in handlers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <stdexcept>

#include "app/main_window.h"
#include "widgets/error_report.h"
#include "widgets/gauge_widget.h"
#include "widgets/log_memo.h"
#include "app/shell.h"
#include "app/testing_window.h"
#include "emulator/emulator_bus.h"
#include "tests/app/qt_test_app.h"
#include "tests/support/scripted_dialogs.h"
#include "tools/edid/ui/edid_window.h"
#include "tools/ite/ui/ite_window.h"
#include "tools/kb90/ui/kb90_window.h"
#include "tools/keyboard/ui/keyboard_window.h"
#include "tools/mec16/ui/mec16_window.h"

namespace tarvex {
namespace {

class ShellTest : public testing::Test {
 protected:
  emu::EmulatorBus bus;
  test::ScriptedDialogs dialogs;
  Shell shell{bus, dialogs, {"/nonexistent/kb90.txt", "/nonexistent/ite.txt"}};
  const ShellWindows& w = shell.windows();

  int visibleWindows() const {
    int count = 0;
    for (QWidget* window : shell.windowsInCreationOrder()) count += window->isVisible() ? 1 : 0;
    return count;
  }
};

TEST_F(ShellTest, SevenWindowsInOrderWithCaptionsAndOnlyTheMainOneShown) {
  shell.showMainWindow();
  const std::vector<std::pair<QString, QString>> expected = {
      {"Form1", "Tarvex  VER4.7  22/11/2015 English"},
      {"EDID_form", "EEPROM LCD read/write VER4.1"},
      {"KB901X_forms", "KB9010/9012/9016/9022  programming VER4.1"},
      {"Keyboard_testing", "Keyboard_testing"},
      {"TESTING", "Test vcom port and device"},
      {"MEC16_Form", "Чтение и запись MEC16"},
      {"ITE_FORM", "ITE 22_11_2015 English"},
  };
  const auto windows = shell.windowsInCreationOrder();
  ASSERT_EQ(windows.size(), expected.size());
  for (std::size_t i = 0; i < windows.size(); ++i) {
    EXPECT_EQ(windows[i]->objectName(), expected[i].first);
    EXPECT_EQ(windows[i]->windowTitle(), expected[i].second);
    EXPECT_TRUE(windows[i]->isWindow());
    EXPECT_EQ(windows[i]->isVisible(), i == 0) << i;
  }
  EXPECT_EQ(QApplication::applicationName(), "Tarvex");
}

TEST_F(ShellTest, MainWindowLooksAsDocumented) {
  TForm1& form = *w.Form1;
  EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(form.windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_EQ(form.minimumSize(), form.maximumSize());  // fixed border
  const std::vector<std::pair<QPushButton*, QString>> buttons = {
      {form.EDID, "EEPROM lcd (EDID)"}, {form.Keyboard, "Keyboard testing"},
      {form.KB901X, "KB9010/12/16/22"}, {form.MEC16XX, "MEC1609"},
      {form.ITE_BitBtn1, "ITE_chip"},
  };
  for (const auto& [button, caption] : buttons) {
    EXPECT_EQ(button->text(), caption);
    EXPECT_TRUE(button->font().bold());
    EXPECT_EQ(button->font().pixelSize(), 27);
    EXPECT_TRUE(button->font().fixedPitch());
  }
  EXPECT_EQ(form.Exit->text(), "Exit");
  EXPECT_EQ(form.Test_connect->text(), " ");
}

TEST_F(ShellTest, ToolButtonsSwitchAndExitReturnsToTheSameMainWindow) {
  shell.showMainWindow();
  const QPoint mainPosition = w.Form1->pos();
  struct Visit {
    QPushButton* button;
    QWidget* tool;
    QPushButton* exit;
  };
  const std::vector<Visit> visits = {
      {w.Form1->EDID, w.EDID_form, w.EDID_form->EXIT_EDID},
      {w.Form1->Keyboard, w.Keyboard_testing, w.Keyboard_testing->EXIT_KB_TEST},
      {w.Form1->KB901X, w.KB901X_forms, w.KB901X_forms->EXIT_KB901X},
      {w.Form1->MEC16XX, w.MEC16_Form, w.MEC16_Form->EXIT_MEC16},
      {w.Form1->ITE_BitBtn1, w.ITE_FORM, w.ITE_FORM->ITE_EXIT_BitBtn},
  };
  for (const auto& visit : visits) {
    visit.button->click();
    EXPECT_TRUE(visit.tool->isVisible()) << visit.tool->objectName().toStdString();
    EXPECT_FALSE(w.Form1->isVisible());
    EXPECT_EQ(visibleWindows(), 1);
    visit.exit->click();
    EXPECT_FALSE(visit.tool->isVisible());
    EXPECT_TRUE(w.Form1->isVisible());
    EXPECT_EQ(w.Form1->pos(), mainPosition);
  }
}

TEST_F(ShellTest, ExitClearsTheLogAndGaugeWhereTheToolSaysSo) {
  struct Case {
    QtToolView* tool;
    QPushButton* exit;
    bool clears;
  };
  const std::vector<Case> cases = {
      {w.EDID_form, w.EDID_form->EXIT_EDID, true},
      {w.KB901X_forms, w.KB901X_forms->EXIT_KB901X, true},
      {w.Keyboard_testing, w.Keyboard_testing->EXIT_KB_TEST, false},
      {w.MEC16_Form, w.MEC16_Form->EXIT_MEC16, false},
      {w.ITE_FORM, w.ITE_FORM->ITE_EXIT_BitBtn, true},
  };
  for (const auto& c : cases) {
    c.tool->show();
    c.tool->logLine("kept or cleared");
    if (c.tool->gauge(0)) c.tool->setGaugeProgress(0, 100);
    c.exit->click();
    const QString text = c.tool->logMemo()->toPlainText();
    if (c.clears) {
      EXPECT_EQ(c.tool->logMemo()->lineCount(), 0) << c.tool->objectName().toStdString();
    } else {
      EXPECT_TRUE(text.contains("kept or cleared")) << c.tool->objectName().toStdString();
    }
    if (c.clears && c.tool->gauge(0)) {
      EXPECT_EQ(c.tool->gauge(0)->progress(), 0);
    }
  }
  EXPECT_EQ(w.MEC16_Form->EXIT_MEC16->text(), "СТОП или ВЫХОД");
  EXPECT_EQ(w.ITE_FORM->ITE_EXIT_BitBtn->text(), "E X I T");
}

TEST_F(ShellTest, TitleBarCloseOfAToolActsAsItsExit) {
  w.Form1->KB901XClick();
  w.KB901X_forms->close();
  EXPECT_FALSE(w.KB901X_forms->isVisible());
  EXPECT_TRUE(w.Form1->isVisible());
}

TEST_F(ShellTest, TestConnectTwiceLeavesOneTestingWindowBesideTheMainWindow) {
  shell.showMainWindow();
  w.Form1->Test_connect->click();
  w.Form1->Test_connect->click();
  int testing = 0;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == "TESTING" && top->isVisible()) ++testing;
  }
  EXPECT_EQ(testing, 1);
  EXPECT_TRUE(w.Form1->isVisible());
  EXPECT_TRUE(w.Form1->EDID->isEnabled());
  // Closing the test window only hides it; it keeps its report.
  w.TESTING->BitBtn1Click();
  w.TESTING->close();
  EXPECT_FALSE(w.TESTING->isVisible());
  EXPECT_FALSE(w.TESTING->Test_memo->toPlainText().isEmpty());
}

TEST(ErrorsInHandlers, AreReportedAndTheProgramGoesOn) {
  std::vector<std::string> reported;
  setUnhandledErrorReporter([&](const std::string& text) { reported.push_back(text); });
  QObject receiver;
  bool laterRan = false;
  QTimer::singleShot(0, &receiver, [] { throw std::runtime_error("Ошибка в обработчике"); });
  QTimer::singleShot(0, &receiver, [] { throw 42; });
  QTimer::singleShot(0, &receiver, [&] { laterRan = true; });
  EXPECT_TRUE(test::waitUntil([&] { return laterRan; }));
  setUnhandledErrorReporter({});
  EXPECT_EQ(reported, (std::vector<std::string>{"Ошибка в обработчике", ""}));
}

}  // namespace
}  // namespace tarvex
