// The MEC16 window driven through its controls, offscreen, with dialogs answered by script.

#include "tools/mec16/ui/mec16_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include "widgets/gauge_widget.h"
#include "widgets/log_memo.h"
#include "tests/mec16/mec16_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tools/mec16/mec16_messages.h"

namespace tarvex::mec16::test {
namespace {

namespace text = mec16::text;

void ensureApplication() {
  static int argc = 1;
  static char name[] = "tests_mec16";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

class Mec16Window : public Mec16Test {
 protected:
  void SetUp() override {
    ensureApplication();
    Mec16Test::SetUp();
    context_.backupsFolder = path("backups");
    window_ = std::make_unique<TMEC16_Form>(context_, nullptr, testBounds());
    window_->show();
  }
  void TearDown() override {
    waitIdle();
    window_.reset();
    Mec16Test::TearDown();
  }

  // Runs the event loop until the operation has ended and its worker has freed itself.
  void waitIdle() {
    QElapsedTimer timer;
    timer.start();
    while ((!window_->tool().modeWord().idle() || window_->workerAlive() ||
            window_->chainRunning()) &&
           timer.elapsed() < 20000) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QApplication::processEvents();
    ASSERT_TRUE(window_->tool().modeWord().idle());
  }
  QStringList memo() const {
    QStringList lines;
    for (int i = 0; i < window_->logMemo()->lineCount(); ++i) lines << window_->logMemo()->line(i);
    return lines;
  }
  bool memoHas(const char* line) const { return memo().contains(QString::fromUtf8(line)); }

  tarvex::test::ScriptedDialogs dialogs_;
  int mainWindowShown_ = 0;
  AppContext context_{bus_, dialogs_, [this] { ++mainWindowShown_; }, "", ""};
  std::unique_ptr<TMEC16_Form> window_;
};

TEST_F(Mec16Window, OpensWithItsNotesAndBlackIndicatorsAndTheCheckPaintsThem) {
  const QStringList start = memo();
  ASSERT_GE(start.size(), 5);
  EXPECT_EQ(start[0], "Не готова запись INFO блока ");
  EXPECT_EQ(start[3], "Перед записью нужно стереть! Автоматом пока не делает. ");
  EXPECT_EQ(window_->Shape_FWP_MEC16->color(), (Rgb{0, 0, 0}));
  EXPECT_FALSE(window_->CheckBox_write_mec16->isEnabled());

  chip_->setStatusBits(0x08);
  window_->BitBtn_MEC16->click();
  waitIdle();
  EXPECT_EQ(window_->Shape_FWP_MEC16->color(), (Rgb{0, 255, 0}));
  EXPECT_EQ(window_->Shape_BootLock_MEC->color(), (Rgb{255, 0, 0}));
  EXPECT_TRUE(memoHas("--> Стоит Boot_Lock ! (защита загрузочного блока)"));
}

TEST_F(Mec16Window, ReadWithInfoRunsOnTheWorkerIntoTheChosenFile) {
  chip_->setMain(pattern(192 * 1024));
  window_->CheckBox_MEC16_RD->setChecked(true);
  dialogs_.answerNextDialog(path("image.bin"));
  window_->BitBtn_RD_MEC16->click();
  waitIdle();
  EXPECT_EQ(readFile(path("image.bin")).size(), 198656u);
  EXPECT_TRUE(memoHas("Чтение INFO блока завершено успешно."));
  EXPECT_EQ(window_->gauge(0)->progress(), 192);
  EXPECT_EQ(window_->gauge(0)->maxValue(), 192);
  // "Read twice and compare" is checked: two sessions, one dialog.
  EXPECT_EQ(adapter_->receivedPerOpen().size(), 2u);
  EXPECT_TRUE(memoHas(text::kDoubleRead.readsMatch));
  ASSERT_EQ(dialogs_.dialogsShown().size(), 1u);
  EXPECT_EQ(dialogs_.dialogsShown()[0].title, "Укажите имя файла для сохранения.");
}

// Unchecked, the box leaves the single documented read, which the two reads repeat.
TEST_F(Mec16Window, ReadTwiceUncheckedReadsOnceAsEachOfTheTwoReads) {
  chip_->setMain(pattern(192 * 1024));
  ASSERT_TRUE(window_->Safety->readTwiceBox()->isChecked());
  dialogs_.answerNextDialog(path("twice.bin"));
  window_->BitBtn_RD_MEC16->click();
  waitIdle();
  const auto twice = adapter_->receivedPerOpen();
  ASSERT_EQ(twice.size(), 2u);

  adapter_->clearRecords();
  window_->Safety->readTwiceBox()->click();
  dialogs_.answerNextDialog(path("once.bin"));
  window_->BitBtn_RD_MEC16->click();
  waitIdle();
  const auto once = adapter_->receivedPerOpen();
  ASSERT_EQ(once.size(), 1u);
  EXPECT_EQ(once[0], twice[0]);
  EXPECT_EQ(once[0], twice[1]);
  EXPECT_EQ(window_->tool().fileName(), path("once.bin"));
  EXPECT_EQ(readFile(path("once.bin")), readFile(path("twice.bin")));
  EXPECT_EQ(readFile(path("once.bin")), chip_->mainFlash());
}

TEST_F(Mec16Window, ExitDuringAReadStopsItAndOnlyLeavesOnceIdle) {
  adapter_->setFaults({.replyDelay = 2ms});  // a slow adapter: the read takes a while
  dialogs_.answerNextDialog(path("image.bin"));
  window_->BitBtn_RD_MEC16->click();
  window_->EXIT_MEC16->click();
  EXPECT_EQ(mainWindowShown_, 0);
  waitIdle();
  EXPECT_TRUE(memoHas("Пользователь прервал операцию чтения."));
  EXPECT_LT(readFile(path("image.bin.partial")).size(), 196608u);
  EXPECT_FALSE(std::filesystem::exists(path("image.bin")));
  EXPECT_TRUE(window_->isVisible());

  window_->EXIT_MEC16->click();
  EXPECT_EQ(mainWindowShown_, 1);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(Mec16Window, EraseThenWriteProgramsTheFlash) {
  chip_->fillMain(0x00);
  chip_->setEraseBusyPolls(1);
  window_->CheckBox_erase_mec16->setChecked(true);
  window_->BitBtn_MEC16_ERASE->click();
  waitIdle();
  EXPECT_TRUE(memoHas("Стирание завершено успешно."));
  EXPECT_TRUE(memoHas(text::kSafety.blankOk));
  const auto writes = chip_->registerWrites();
  EXPECT_NE(std::find(writes.begin(), writes.end(),
                      std::pair<std::uint32_t, std::uint32_t>{0xFF3904, 0x00FC0000}),
            writes.end());

  const Bytes image = pattern(196608, 21);
  writeFile(path("image.bin"), image);
  dialogs_.answerNextDialog(path("image.bin"));
  window_->BitBtn_MEC16_WRITE->click();
  // While the stream runs every other button is refused.
  window_->BitBtn_MEC16_HELP->click();
  waitIdle();
  EXPECT_FALSE(memoHas("Распиновка для расширенной версии (PCB2):"));
  EXPECT_TRUE(memoHas("Запись MAIN блока завершена успешно."));
  EXPECT_EQ(chip_->mainFlash(), image);
  EXPECT_EQ(window_->gauge(0)->foreColor(), (Rgb{255, 255, 0}));  // the read-back ran last
  EXPECT_EQ(dialogs_.dialogsShown().back().filter, "BIN файл MEC16 (*.bin)|*.bin|Другие|*.*");
  EXPECT_EQ(dialogs_.dialogsShown().size(), 1u);  // chosen once, before the backup
  EXPECT_TRUE(memoHas(text::kSafety.verifyOk));

  // Again over the written chip: the user is asked, answers No, and the flash stays.
  const Bytes other = pattern(196608, 77);
  writeFile(path("other.bin"), other);
  dialogs_.answerNextDialog(path("other.bin"));
  window_->BitBtn_MEC16_WRITE->click();
  waitIdle();
  ASSERT_EQ(dialogs_.questions().size(), 1u);
  EXPECT_EQ(chip_->mainFlash(), image);
  EXPECT_TRUE(memoHas(text::kSafety.cancelled));
  std::size_t backups = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(path("backups"))) {
    ++backups;
  }
  EXPECT_EQ(backups, 3u);  // before the erase and before each write
}

TEST_F(Mec16Window, WithBothSafetyBoxesUncheckedAnEraseSendsOnlyItsDocumentedBytes) {
  chip_->setEraseBusyPolls(1);
  ASSERT_TRUE(tool_.erase(false));  // the documented erase, as the tool's own handler runs it
  const Bytes documented = adapter_->lastOpenReceived();
  const std::size_t opens = adapter_->openCount();

  ASSERT_TRUE(window_->Safety->verifyBox()->isChecked());
  ASSERT_TRUE(window_->Safety->backupBox()->isChecked());
  window_->Safety->verifyBox()->click();
  window_->Safety->backupBox()->click();
  window_->BitBtn_MEC16_ERASE->click();
  waitIdle();
  EXPECT_EQ(adapter_->openCount(), opens + 1);
  EXPECT_EQ(adapter_->lastOpenReceived(), documented);
  EXPECT_FALSE(memoHas(text::kSafety.blankOk));
  EXPECT_FALSE(std::filesystem::exists(path("backups")));
}

}  // namespace
}  // namespace tarvex::mec16::test
