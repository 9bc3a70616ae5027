// The EDID window driven through its buttons, offscreen, with dialogs answered by script.

#include "tools/edid/ui/edid_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "widgets/log_memo.h"
#include "tests/app/qt_test_app.h"
#include "tests/edid/edid_bench.h"
#include "tests/support/scripted_dialogs.h"
#include "tools/edid/edid_image_check.h"
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
    context_.backupsFolder = path("backups");
    context_.openFolder = [this](const std::string& folder) {
      foldersOpened_.push_back(folder);
      return true;
    };
    window_ = std::make_unique<TEDID_form>(context_, nullptr, bounds_);
    window_->show();
  }
  // Each operation runs on the worker; the test goes on once it has ended.
  void click(QPushButton* button) {
    button->click();
    ASSERT_TRUE(waitUntil([this] { return !window_->busy(); }));
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
  edid::EdidBounds bounds_{.readReply = std::chrono::milliseconds(1500),
                           .writeAck = std::chrono::milliseconds(300),
                           .writeStatus = std::chrono::milliseconds(300)};
  std::unique_ptr<TEDID_form> window_;
  std::vector<std::string> foldersOpened_;
};

// "Read twice and compare" is checked: two sessions, each the documented read, then the save
// dialog once and the dump once. Unchecked, the box leaves the single documented read.
TEST_F(EdidWindow, ReadButtonReadsTwiceAndAsksOnceOrUncheckedReadsOnce) {
  ASSERT_TRUE(window_->Safety->readTwiceBox()->isChecked());
  dialogs_.answerNextDialog(path("panel.bin"));
  click(window_->EDID_READ);
  const auto twice = adapter_->receivedPerOpen();
  EXPECT_EQ(twice, (std::vector<Bytes>{{'B', 'E', 'r', 'I'}, {'B', 'E', 'r', 'I'}}));
  ASSERT_EQ(dialogs_.dialogsShown().size(), 1u);
  EXPECT_EQ(dialogs_.dialogsShown()[0].title, "Укажите имя файла для сохранения.");
  EXPECT_EQ(fileBytes(path("panel.bin")), contents());
  const QStringList lines = memo();
  // The header row of the dump, in the fixed layout, once.
  const QString dumpRow(": 00 FF FF FF FF FF FF 00 52 D8 15 6A 2C 01 00 00 ........R..j....");
  EXPECT_EQ(lines.count(dumpRow), 1);
  EXPECT_LT(lines.indexOf(dumpRow), lines.indexOf(QString::fromStdString(path("panel.bin"))));
  const auto matched = lines.indexOf(QString::fromUtf8(edid::msg::kDoubleRead.readsMatch));
  ASSERT_GE(matched, 0);
  EXPECT_GT(lines.indexOf(QString("Manufacturer: TVX")), matched);
  EXPECT_EQ(window_->tool().fileName(), path("panel.bin"));

  // Unchecked: one session, the documented read, with the dump before the dialog and the
  // decode after the save.
  adapter_->clearRecords();
  window_->Safety->readTwiceBox()->click();
  dialogs_.answerNextDialog(path("once.bin"));
  click(window_->EDID_READ);
  EXPECT_EQ(adapter_->receivedPerOpen(), std::vector<Bytes>{twice[0]});
  EXPECT_EQ(fileBytes(path("once.bin")), contents());
  const QStringList single = memo();
  const auto saved = single.indexOf(QString::fromStdString(path("once.bin")));
  ASSERT_GE(saved, 0);
  EXPECT_LT(single.indexOf(dumpRow), saved);
  EXPECT_GT(single.indexOf(QString("Manufacturer: TVX")), saved);  // the decode, after the save
  EXPECT_FALSE(single.contains(QString::fromUtf8(edid::msg::kDoubleRead.readsMatch)));
  EXPECT_EQ(window_->tool().fileName(), path("once.bin"));
}

TEST_F(EdidWindow, WriteButtonReportsAnUnopenableFileInABox) {
  dialogs_.answerNextDialog(path("gone.bin"));
  click(window_->EDID_WRITE);
  EXPECT_EQ(dialogs_.errors(), (std::vector<std::string>{"Ошибка открытия файла."}));
  // The file is looked at before the adapter is touched.
  EXPECT_EQ(adapter_->openCount(), 0u);
  EXPECT_TRUE(window_->EDID_READ->isEnabled());
}

TEST_F(EdidWindow, ExitClearsTheLogAndGoesBackToTheMainWindow) {
  dialogs_.answerNextDialog(std::nullopt);
  click(window_->EDID_READ);
  ASSERT_TRUE(memo().contains(QString::fromUtf8(edid::msg::kSaveInterrupted)));

  window_->EXIT_EDID->click();
  EXPECT_EQ(window_->logMemo()->lineCount(), 0);
  EXPECT_EQ(mainWindowShown_, 1);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(EdidWindow, AReadWaitingOnASilentAdapterKeepsTheWindowAliveAndTakesNoClick) {
  // The firmware answers the handshake and then nothing: the read waits its whole bound.
  adapter_->setFaults({.stopAfterBytes = 3});
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    ++ticks;
    if (ticks == 5) {
      // A click made while the read runs, and the handler called as a queued click would.
      window_->EDID_WRITE->click();
      window_->EDID_WRITEClick();
      window_->EDID_READClick();
      window_->EXIT_EDIDClick();
    }
  });
  ticker.start(20);

  window_->EDID_READ->click();
  EXPECT_TRUE(window_->busy());
  EXPECT_FALSE(window_->EDID_READ->isEnabled());
  EXPECT_FALSE(window_->EDID_WRITE->isEnabled());
  EXPECT_FALSE(window_->Safety->verifyBox()->isEnabled());
  EXPECT_FALSE(window_->Safety->readTwiceBox()->isEnabled());
  ASSERT_TRUE(waitUntil([this] { return !window_->busy(); }));
  ticker.stop();

  // The event loop kept turning through the wait (the bound is 1.5 s, a tick 20 ms).
  EXPECT_GE(ticks, 20);
  // Nothing of the clicks made meanwhile was acted on: no dialog, no write on the line, the
  // window still shown, and the read's failure is the last thing in the log.
  EXPECT_TRUE(dialogs_.dialogsShown().empty());
  EXPECT_EQ(adapter_->openCount(), 1u);
  EXPECT_EQ(sent(), (Bytes{'B', 'E', 'r', 'O'}));
  EXPECT_EQ(mainWindowShown_, 0);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(memo().last().toStdString(), edid::msg::readReplyIncomplete(0, 258));
  EXPECT_TRUE(window_->EDID_READ->isEnabled());
  EXPECT_TRUE(window_->EDID_WRITE->isEnabled());
}

TEST_F(EdidWindow, AWriteOffersToCorrectAWrongChecksumAndKeepsItsSafetySteps) {
  const auto demo = emu::demoPanelEeprom();
  Bytes image(demo.begin(), demo.end());
  image[10] ^= 0x5A;  // another product code
  const Bytes corrected = edid::withCorrectedChecksum(image);
  Bytes wrong = corrected;
  wrong[127] ^= 0x01;
  writeFile(path("wrong.bin"), wrong);
  const Bytes before = contents();

  // Both steps are on unless the user turns them off.
  EXPECT_TRUE(window_->Safety->verifyBox()->isChecked());
  EXPECT_TRUE(window_->Safety->backupBox()->isChecked());
  dialogs_.answerThreeWayWith(Answer::kOther);
  dialogs_.answerNextDialog(path("wrong.bin"));
  click(window_->EDID_WRITE);
  EXPECT_EQ(dialogs_.questions().size(), 1u);
  EXPECT_EQ(contents(), corrected);
  EXPECT_EQ(fileBytes(path("wrong.bin")), wrong);
  EXPECT_EQ(adapter_->openCount(), 3u);
  EXPECT_EQ(memo().last().toStdString(), edid::msg::kSafety.verifyOk);
  ASSERT_TRUE(std::filesystem::exists(path("backups")));
  const auto backup = std::filesystem::directory_iterator(path("backups"))->path();
  EXPECT_EQ(fileBytes(backup.string()), before);

  // Both off and Yes to the checksum: the documented write alone, the image as it is.
  window_->Safety->verifyBox()->setChecked(false);
  window_->Safety->backupBox()->setChecked(false);
  dialogs_.answerThreeWayWith(Answer::kYes);
  dialogs_.answerNextDialog(path("wrong.bin"));
  click(window_->EDID_WRITE);
  EXPECT_EQ(adapter_->openCount(), 4u);
  EXPECT_EQ(sent().size(), 3u + 256u + 1u);
  EXPECT_EQ(contents(), wrong);

  // The backups folder is opened through the context's opener; nothing is launched here.
  window_->Safety->openFolderButton()->click();
  EXPECT_EQ(foldersOpened_, std::vector<std::string>{path("backups")});
}

}  // namespace
}  // namespace tarvex::test
