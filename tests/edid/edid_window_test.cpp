// The EDID window driven through its buttons, offscreen, with dialogs answered by script.

#include "tools/edid/ui/edid_window.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "app/qt_frame/log_memo.h"
#include "tests/edid/edid_bench.h"
#include "tests/support/scripted_dialogs.h"
#include "tools/edid/edid_messages.h"

namespace tarvex::test {
namespace {

void ensureApplication() {
  static int argc = 1;
  static char name[] = "tests_edid";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

class EdidWindow : public EdidBench {
 protected:
  void SetUp() override {
    ensureApplication();
    EdidBench::SetUp();
    window_ = std::make_unique<TEDID_form>(context_);
    window_->show();
  }
  QStringList memo() const {
    QStringList lines;
    for (int i = 0; i < window_->logMemo()->lineCount(); ++i) {
      lines << window_->logMemo()->line(i);
    }
    return lines;
  }

  ScriptedDialogs dialogs_;
  int mainWindowShown_ = 0;
  AppContext context_{bus_, dialogs_, [this] { ++mainWindowShown_; }, "", ""};
  std::unique_ptr<TEDID_form> window_;
};

TEST_F(EdidWindow, ReadButtonDumpsIntoTheMemoAndSaves) {
  dialogs_.answerNextDialog(path("panel.bin"));
  window_->EDID_READ->click();

  const QStringList lines = memo();
  ASSERT_TRUE(lines.contains(QString::fromUtf8(edid::msg::kReadDone)));
  // The header row of the dump, in the fixed layout.
  EXPECT_TRUE(
      lines.contains(": 00 FF FF FF FF FF FF 00 52 D8 15 6A 2C 01 00 00 ........R..j...."));
  const auto saved = lines.indexOf(QString::fromStdString(path("panel.bin")));
  ASSERT_GE(saved, 0);
  EXPECT_GT(lines.indexOf(QString("Manufacturer: TVX")), saved);  // the decode, after the save
  EXPECT_EQ(fileBytes(path("panel.bin")), contents());
  ASSERT_EQ(dialogs_.dialogsShown().size(), 1u);
  EXPECT_EQ(dialogs_.dialogsShown()[0].title, "Укажите имя файла для сохранения.");
  EXPECT_EQ(window_->tool().fileName(), path("panel.bin"));
}

TEST_F(EdidWindow, WriteButtonReportsAnUnopenableFileInABox) {
  dialogs_.answerNextDialog(path("gone.bin"));
  window_->EDID_WRITE->click();
  EXPECT_EQ(dialogs_.errors(), (std::vector<std::string>{"Ошибка открытия файла."}));
  EXPECT_EQ(sent(), Bytes{'B'});
  EXPECT_TRUE(window_->EDID_READ->isEnabled());
}

TEST_F(EdidWindow, ExitClearsTheLogAndGoesBackToTheMainWindow) {
  dialogs_.answerNextDialog(std::nullopt);
  window_->EDID_READ->click();
  ASSERT_TRUE(memo().contains(QString::fromUtf8(edid::msg::kSaveInterrupted)));

  window_->EXIT_EDID->click();
  EXPECT_EQ(window_->logMemo()->lineCount(), 0);
  EXPECT_EQ(mainWindowShown_, 1);
  EXPECT_FALSE(window_->isVisible());
}

}  // namespace
}  // namespace tarvex::test
