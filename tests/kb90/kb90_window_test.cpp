// The KB90xx window driven through its controls, offscreen, with dialogs answered by
// script and the worker running as it does in the program.

#include "tools/kb90/ui/kb90_window.h"

#include <QApplication>
#include <QElapsedTimer>

#include "widgets/gauge_widget.h"
#include "widgets/log_memo.h"
#include "tests/kb90/kb90_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tools/kb90/kb90_messages.h"

namespace tarvex::kb90::test {
namespace {

void ensureApplication() {
  static int argc = 1;
  static char name[] = "tests_kb90";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

class Kb90Window : public Kb90Fixture {
 protected:
  void SetUp() override {
    ensureApplication();
    Kb90Fixture::SetUp();
    context_.backupsFolder = path("backups");
    context_.openFolder = [this](const std::string& folder) {
      foldersOpened_.push_back(folder);
      return true;
    };
  }
  void TearDown() override {
    if (window_) waitForWorker();
    window_.reset();
    Kb90Fixture::TearDown();
  }
  void open(const std::string& baseFile) {
    context_.kb90BaseFilePath = baseFile;
    window_ = std::make_unique<TKB901X_forms>(context_, nullptr, quickBounds());
    window_->show();
  }
  // Lets the worker run to its end, carrying out its view calls as they come.
  void waitForWorker() {
    QElapsedTimer timer;
    timer.start();
    while ((window_->workerAlive() || !window_->tool().mode().idle() ||
            window_->chainRunning()) &&
           timer.elapsed() < 20000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
    ASSERT_FALSE(window_->workerAlive());
  }
  QStringList memo() const {
    QStringList lines;
    for (int i = 0; i < window_->logMemo()->lineCount(); ++i) lines << window_->logMemo()->line(i);
    return lines;
  }
  void choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  QString label() const { return window_->Label_result->text(); }

  tarvex::test::ScriptedDialogs dialogs_;
  int mainWindowShown_ = 0;
  AppContext context_{bus_, dialogs_, [this] { ++mainWindowShown_; }, "", ""};
  std::unique_ptr<TKB901X_forms> window_;
  std::vector<std::string> foldersOpened_;
};

TEST_F(Kb90Window, MissingBaseFileLeavesTheHelpDisabled) {
  open(path("absent.txt"));
  EXPECT_EQ(label(), QString::fromUtf8(text::kNoBaseFile) + "\nFile not found: " +
                        QString::fromStdString(path("absent.txt")));
  EXPECT_FALSE(window_->ComboBox_KB901X->isEnabled());
  EXPECT_FALSE(window_->ComboBox_KB901X_FFC->isEnabled());
  EXPECT_FALSE(window_->CheckBox_KB901X->isEnabled());
  EXPECT_TRUE(window_->KB901X_READ->isEnabled());
  EXPECT_EQ(window_->windowTitle(), "KB9010/9012/9016/9022  programming VER4.1");
}

TEST_F(Kb90Window, WiringHelpThroughTheControls) {
  {
    std::ofstream base(dir_ / "base.txt", std::ios::binary);
    base << "board X KSO3=5 KSI4=10 KSI7=13 KSI6=12 KSI5=11\r\nbad KSO3=x\r\n";
  }
  open(path("base.txt"));
  ASSERT_EQ(window_->ComboBox_KB901X->count(), 2);
  EXPECT_EQ(window_->ComboBox_KB901X->currentText(), "Step 1 -> Select MB");
  EXPECT_EQ(window_->ComboBox_KB901X_FFC->count(), 8);
  EXPECT_EQ(label(), "");
  EXPECT_TRUE(window_->CheckBox_KB901X->isChecked());

  choose(window_->ComboBox_KB901X_FFC, 2);  // "24 pin": nothing until a board is chosen
  EXPECT_EQ(label(), "");
  choose(window_->ComboBox_KB901X, 0);
  EXPECT_EQ(label(), "Please connect GND and:  A5 B10 C13 D12 E11");
  window_->CheckBox_KB901X->click();
  EXPECT_EQ(label(), "Please connect GND and:  A20 B15 C12 D13 E14");

  choose(window_->ComboBox_KB901X, 1);
  EXPECT_EQ(dialogs_.errors(), std::vector<std::string>{"'x' is not a valid integer value"});
  EXPECT_EQ(label(), "Please connect GND and:  A20 B15 C12 D13 E14");
}

TEST_F(Kb90Window, ReadRunsOnTheWorkerAndGivesTheButtonsBack) {
  open(path("absent.txt"));
  const Bytes flash = randomImage(131072, 21);
  controller_->setFlash(flash);
  dialogs_.answerNextDialog(path("flash.bin"));
  window_->KB901X_READ->click();
  waitForWorker();

  EXPECT_EQ(readFile(path("flash.bin")), flash);
  EXPECT_TRUE(memo().contains(QString::fromUtf8(text::kReadDone)));
  EXPECT_EQ(window_->gauge(0)->progress(), 32768);
  EXPECT_EQ(window_->gauge(0)->foreColor(), colors::kLime);
  EXPECT_TRUE(window_->KB901X_WRITE->isEnabled());
  EXPECT_TRUE(window_->EXIT_KB901X->isEnabled());
  EXPECT_EQ(dialogs_.dialogsShown().at(0).title, "Укажите имя файла для сохранения.");

  window_->EXIT_KB901X->click();
  EXPECT_EQ(window_->logMemo()->lineCount(), 0);
  EXPECT_EQ(window_->gauge(0)->progress(), 0);
  EXPECT_EQ(mainWindowShown_, 1);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(Kb90Window, ExitIsRefusedWhileAWriteRunsAndAStallEndsIt) {
  open(path("absent.txt"));
  controller_->setFaults({.silentAfterBlocks = 20});
  // The stall must meet the write itself, not the backup read before it.
  window_->Safety->backupBox()->setChecked(false);
  dialogs_.answerNextDialog(writeImage("image.bin", randomImage(131072, 8)));
  window_->KB901X_WRITE->click();
  // Right after the click the transfer runs: its own button stays, the others are off.
  QCoreApplication::processEvents();
  if (!window_->tool().mode().idle()) {
    EXPECT_FALSE(window_->KB901X_READ->isEnabled());
    EXPECT_FALSE(window_->EXIT_KB901X->isEnabled());
    EXPECT_TRUE(window_->KB901X_WRITE->isEnabled());
    window_->EXIT_KB901XClick();  // the handler itself refuses while busy
    window_->KB901X_WRITEClick();
    EXPECT_EQ(mainWindowShown_, 0);
  }
  waitForWorker();
  EXPECT_TRUE(memo().contains(QString::fromUtf8(text::kNoAnswerAtBlock) + "21" +
                              QString::fromUtf8(text::kOfBlocks)));
  EXPECT_EQ(adapter_->openCount(), 1u);
  EXPECT_EQ(sentAfterTag().back(), 'O');
  EXPECT_TRUE(window_->KB901X_READ->isEnabled());
  EXPECT_TRUE(window_->EXIT_KB901X->isEnabled());
}

TEST_F(Kb90Window, WriteVerifiesInYellow) {
  open(path("absent.txt"));
  const Bytes image = randomImage(131072, 13);
  dialogs_.answerNextDialog(writeImage("image.bin", image));
  window_->KB901X_WRITE->click();
  waitForWorker();
  EXPECT_EQ(controller_->flash(), image);
  EXPECT_TRUE(memo().contains(QString::fromUtf8(text::kVerifyOk)));
  EXPECT_EQ(window_->gauge(0)->foreColor(), colors::kYellow);
  EXPECT_EQ(window_->gauge(0)->progress(), 32768);
  EXPECT_EQ(dialogs_.dialogsShown().at(0).title, "Укажите файл за заливки.");
}

TEST_F(Kb90Window, TheBackupBoxDecidesTheReadBeforeTheDocumentedWrite) {
  open(path("absent.txt"));
  // The adapter verifies a KB90xx write: the window offers no verify box.
  EXPECT_EQ(window_->Safety->verifyBox(), nullptr);
  const Bytes image = randomImage(131072, 21);
  const std::string file = writeImage("image.bin", image);
  ASSERT_TRUE(write(file));  // the documented write, as the tool's own handlers run it
  const Bytes documented = adapter_->lastOpenReceived();
  const std::size_t opens = adapter_->openCount();

  window_->Safety->backupBox()->click();
  dialogs_.answerNextDialog(file);
  window_->KB901X_WRITE->click();
  waitForWorker();
  EXPECT_EQ(adapter_->openCount(), opens + 1);
  EXPECT_EQ(adapter_->lastOpenReceived(), documented);
  EXPECT_FALSE(std::filesystem::exists(path("backups")));

  window_->Safety->backupBox()->click();
  const Bytes old = randomImage(131072, 22);
  controller_->setFlash(old);
  dialogs_.answerNextDialog(file);
  window_->KB901X_WRITE->click();
  waitForWorker();
  EXPECT_EQ(adapter_->openCount(), opens + 3);
  EXPECT_EQ(controller_->flash(), image);
  EXPECT_TRUE(memo().contains(QString::fromUtf8(text::kVerifyOk)));
  std::vector<std::filesystem::path> saved;
  for (const auto& entry : std::filesystem::directory_iterator(path("backups"))) {
    saved.push_back(entry.path());
  }
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(readFile(saved[0]), old);
  EXPECT_TRUE(memo().contains(QString::fromUtf8(text::kSafety.backupSaved) +
                              QString::fromStdString(saved[0].string())));
  window_->Safety->openFolderButton()->click();
  EXPECT_EQ(foldersOpened_, std::vector<std::string>{path("backups")});
}

}  // namespace
}  // namespace tarvex::kb90::test
