// How the windows look and where they stand: coloured captions that still look disabled,
// logs that wrap long lines, the connection test beside the main window, the program's
// icon and desktop entry, and Qt's own texts in Russian.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <numeric>
#include <string>

#include "app/main_window.h"
#include "widgets/log_memo.h"
#include "widgets/window_placement.h"
#include "app/shell.h"
#include "app/tarvex_application.h"
#include "app/testing_window.h"
#include "emulator/emulator_bus.h"
#include "tests/app/qt_test_app.h"
#include "tests/support/scripted_dialogs.h"
#include "tools/edid/hex_dump.h"
#include "tools/edid/ui/edid_window.h"

namespace tarvex {
namespace {

class WindowLookTest : public testing::Test {
 protected:
  emu::EmulatorBus bus;
  test::ScriptedDialogs dialogs;
  Shell shell{bus, dialogs, {"/nonexistent/kb90.txt", "/nonexistent/ite.txt"}};
  const ShellWindows& w = shell.windows();
};

// Pixels of a strong colour (far from any grey): a caption in green, red, cyan, maroon.
int colouredPixels(QWidget* widget) {
  const QImage image = widget->grab().toImage();
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      const int high = std::max({c.red(), c.green(), c.blue()});
      const int low = std::min({c.red(), c.green(), c.blue()});
      if (high - low > 80) ++count;
    }
  }
  return count;
}

TEST_F(WindowLookTest, ColouredCaptionsTurnGreyWhenTheirButtonIsDisabled) {
  QStringList coloured;
  for (QWidget* window : shell.windowsInCreationOrder()) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
      const bool wasEnabled = button->isEnabled();
      button->setEnabled(true);
      const bool isColoured = colouredPixels(button) > 0;
      button->setEnabled(false);
      EXPECT_EQ(colouredPixels(button), 0)
          << window->objectName().toStdString() << "." << button->objectName().toStdString();
      button->setEnabled(wasEnabled);
      if (isColoured) coloured << button->objectName();
    }
  }
  // The check sees the colours at all: every coloured caption of the tools is among them.
  for (const char* name : {"EDID", "Keyboard", "KB901X", "EDID_READ", "EDID_WRITE", "KB901X_READ",
                           "KB901X_WRITE", "START_SCAN", "Clear"}) {
    EXPECT_TRUE(coloured.contains(QString::fromLatin1(name))) << name;
  }
}

TEST_F(WindowLookTest, LogsWrapLongLinesAndKeepTheHexDumpRows) {
  const QString longLine = QStringLiteral("Файл: ") + QString(300, QLatin1Char('x'));
  for (QWidget* window : shell.windowsInCreationOrder()) {
    for (LogMemo* log : window->findChildren<LogMemo*>()) {
      window->show();
      log->clearLines();
      log->appendLine(longLine);
      QCoreApplication::processEvents();
      const std::string where = log->objectName().toStdString();
      EXPECT_EQ(log->horizontalScrollBar()->maximum(), 0) << where;
      EXPECT_GT(log->document()->firstBlock().layout()->lineCount(), 1) << where;
      EXPECT_EQ(log->line(0), longLine) << where;
      log->clearLines();
      window->hide();
    }
  }

  // The EDID dump's rows stay one row each: its columns line up.
  std::array<std::uint8_t, 256> image{};
  std::iota(image.begin(), image.end(), 0);
  LogMemo* log = w.EDID_form->logMemo();
  w.EDID_form->show();
  for (const auto& line : edid::hexDump(image)) log->appendLine(QString::fromStdString(line));
  QCoreApplication::processEvents();
  ASSERT_EQ(log->lineCount(), 17);
  for (QTextBlock block = log->document()->firstBlock(); block.isValid(); block = block.next()) {
    EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
  }
  log->clearLines();
  w.EDID_form->hide();
}

TEST(WindowPlacement, TheConnectionTestStandsBesideTheMainWindowOnCommonScreens) {
  const QSize mainWindow(440, 420);
  const QSize testWindow(560, 450);
  for (const QRect screen : {QRect(0, 0, 1920, 1050), QRect(0, 0, 1366, 740), QRect(0, 0, 1280, 770),
                             QRect(1920, 30, 1280, 994)}) {
    for (const int mainX : {0, 200, 600, 840}) {
      const QRect main(QPoint(screen.left() + std::min(mainX, screen.width() - mainWindow.width()),
                              screen.top() + 100),
                       mainWindow);
      const SideBySide place = placeSideBySide(main, testWindow, screen);
      const QRect mainAfter(place.anchor, mainWindow);
      const QRect testAfter(place.window, testWindow);
      const std::string where = std::to_string(screen.width()) + " at " + std::to_string(mainX);
      EXPECT_FALSE(mainAfter.intersects(testAfter)) << where;
      EXPECT_TRUE(screen.contains(mainAfter)) << where;
      EXPECT_TRUE(screen.contains(testAfter)) << where;
      // The main window moves only where the test window finds no room beside it.
      const bool roomBeside = main.right() + 8 + testWindow.width() <= screen.right() ||
                              main.left() - 8 - testWindow.width() >= screen.left();
      EXPECT_EQ(mainAfter == main, roomBeside) << where;
    }
  }
  // A screen narrower than both: the two overlap as little as it allows.
  const QRect narrow(0, 0, 800, 600);
  const SideBySide place = placeSideBySide(QRect(180, 90, 440, 420), testWindow, narrow);
  EXPECT_EQ(place.anchor, QPoint(0, 90));
  EXPECT_EQ(place.window, QPoint(800 - 560, 90));
}

TEST_F(WindowLookTest, TestConnectOpensTheTestWindowInsideTheScreenNotOverTheMainWindow) {
  shell.showMainWindow();
  const QRect area = w.Form1->screen()->availableGeometry();
  w.Form1->Test_connect->click();
  QCoreApplication::processEvents();
  const QRect main = w.Form1->frameGeometry();
  const QRect testing = w.TESTING->frameGeometry();
  EXPECT_TRUE(area.contains(main));
  EXPECT_TRUE(area.contains(testing));
  // Even on the small offscreen screen the main window's buttons keep their left part.
  EXPECT_LT(main.left(), testing.left());
  EXPECT_GT(testing.left() - main.left(), main.width() / 3);
  w.TESTING->close();
}

TEST_F(WindowLookTest, EveryWindowCarriesTheIconAndTheDesktopEntryMatchesTheWindows) {
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  for (QWidget* window : shell.windowsInCreationOrder()) {
    EXPECT_FALSE(window->windowIcon().isNull()) << window->objectName().toStdString();
  }
  EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(kDesktopFileName));
  QFile entry(QStringLiteral(TARVEX_DIST_DIR "/") + QString::fromLatin1(kDesktopFileName) +
              QStringLiteral(".desktop"));
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly | QIODevice::Text));
  const QString text = QString::fromUtf8(entry.readAll());
  // X11 task bars match the window class, which is the application name.
  EXPECT_TRUE(text.contains(QStringLiteral("\nStartupWMClass=") + QApplication::applicationName() +
                            QLatin1Char('\n')));
  EXPECT_TRUE(text.contains(QStringLiteral("\nName[ru]=")));
  EXPECT_TRUE(text.contains(QStringLiteral("\nComment[ru]=")));
}

TEST(QtTranslations, QtsOwnTextsFollowARussianSystemAndOnlyIt) {
  auto* app = qobject_cast<TarvexApplication*>(QCoreApplication::instance());
  ASSERT_NE(app, nullptr);
  const QString cancel = QStringLiteral("Cancel");
  EXPECT_FALSE(app->useQtTranslations(QLocale(QLocale::German, QLocale::Germany)));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);

  const QString file = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ru.qm";
  if (!QFile::exists(file)) GTEST_SKIP() << "Qt's translations are not installed";
  ASSERT_TRUE(app->useQtTranslations(QLocale(QLocale::Russian, QLocale::Russia)));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
  // Back to English for the tests that follow.
  EXPECT_FALSE(app->useQtTranslations(QLocale(QLocale::English)));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
}

}  // namespace
}  // namespace tarvex
