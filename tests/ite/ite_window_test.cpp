// The ITE window driven through its controls, offscreen, with dialogs answered by script
// and the worker running as it does in the program; the sample presets file against the
// demo laptop's board.

#include "tools/ite/ui/ite_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>

#include "widgets/gauge_widget.h"
#include "widgets/log_memo.h"
#include "emulator/ite/demo_board.h"
#include "tests/ite/ite_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tools/ite/ite_messages.h"

namespace tarvex::test {
namespace {

void ensureApplication() {
  static int argc = 1;
  static char name[] = "tests_ite";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

class IteWindow : public IteBench {
 protected:
  void SetUp() override {
    ensureApplication();
    IteBench::SetUp();
    board_->setWiring(emu::demoIteWiring());
    context_.backupsFolder = path("backups");
    context_.openFolder = [this](const std::string& folder) {
      foldersOpened_.push_back(folder);
      return true;
    };
  }
  void TearDown() override {
    if (window_) waitForWorker();
    window_.reset();
    IteBench::TearDown();
  }
  void open(const std::string& presets = ITE_SAMPLE_PRESETS_FILE) {
    context_.itePresetsFilePath = presets;
    window_ = std::make_unique<TITE_FORM>(context_, nullptr, fastBounds());
    window_->show();
  }
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
    QCoreApplication::processEvents();
    QStringList lines;
    for (int i = 0; i < window_->logMemo()->lineCount(); ++i) lines << window_->logMemo()->line(i);
    return lines;
  }
  void choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  std::vector<QString> boxTexts() const {
    std::vector<QString> texts;
    for (auto* box : window_->ComboBox) texts.push_back(box->currentText());
    return texts;
  }
  bool allButtonsEnabled() const {
    return window_->ITE_SETUP_BitBtn->isEnabled() && window_->ITE_CHECK_CON_BitBtn->isEnabled() &&
           window_->ITE_READ_BitBtn->isEnabled() && window_->ITE_WRITE_BitBtn->isEnabled() &&
           window_->ITE_EXIT_BitBtn->isEnabled();
  }

  ScriptedDialogs dialogs_;
  int mainWindowShown_ = 0;
  AppContext context_{bus_, dialogs_, [this] { ++mainWindowShown_; }, "", ""};
  std::unique_ptr<TITE_FORM> window_;
  std::vector<std::string> foldersOpened_;
};

TEST_F(IteWindow, OpensWithHelpPresetsAndPinBoxesInTheirStartingState) {
  open();
  EXPECT_EQ(window_->windowTitle(), "ITE 22_11_2015 English");
  const QStringList lines = memo();
  ASSERT_EQ(lines.size(), 20);
  EXPECT_EQ(lines[0], "To connect:");
  EXPECT_EQ(lines[15], "Read all 128K FLASH about 20 seconds.");

  auto* list = window_->ITE_ComboBox_MB_SWITCH;
  ASSERT_EQ(list->count(), 7);
  EXPECT_EQ(list->currentIndex(), 0);
  EXPECT_EQ(list->currentText(), "Click to select presets for a laptop MB");
  EXPECT_TRUE(window_->ITE_CheckBox->isChecked());
  EXPECT_FALSE(window_->ITE_CheckBox->isEnabled());

  EXPECT_EQ(window_->ComboBox[0]->currentText(), "NC");
  EXPECT_EQ(window_->ComboBox[0]->currentIndex(), -1);
  EXPECT_EQ(window_->ComboBox[14]->currentIndex(), 0);
  EXPECT_EQ(window_->ComboBox[3]->count(), 33);
  EXPECT_EQ(window_->PinLabel[8]->text(), "STB# (58 KSI0) WR/RD 0/1");
  EXPECT_EQ(window_->gauge(kIteGauge)->maxValue(), 512);
  EXPECT_EQ(window_->gauge(kIteGauge)->progress(), 1);
  EXPECT_EQ(window_->gauge(kIteSpeedGauge)->maxValue(), 256);
  EXPECT_EQ(window_->gauge(kIteSpeedGauge)->foreColor(), colors::kYellow);
  EXPECT_TRUE(allButtonsEnabled());
}

TEST_F(IteWindow, MissingPresetsFileListsOnlyTheNoticeInRed) {
  open(path("absent.txt"));
  ASSERT_EQ(window_->ITE_ComboBox_MB_SWITCH->count(), 1);
  EXPECT_TRUE(window_->ITE_ComboBox_MB_SWITCH->currentText().startsWith("File [MB connection"));
  EXPECT_TRUE(window_->ITE_ComboBox_MB_SWITCH->styleSheet().contains("#FF0000"));
}

TEST_F(IteWindow, SamplePresetThenSettingsThenCheckReachesTheDemoBoard) {
  open();
  choose(window_->ITE_ComboBox_MB_SWITCH, 1);
  EXPECT_TRUE(window_->ITE_CheckBox->isEnabled());
  EXPECT_EQ(boxTexts()[0], "3");
  EXPECT_EQ(boxTexts()[12], "11");  // BUSY

  // Two clicks on the orientation box mirror the boxes and back.
  window_->ITE_CheckBox->click();
  EXPECT_FALSE(window_->ITE_CheckBox->isChecked());
  EXPECT_EQ(boxTexts()[0], "28");
  window_->ITE_CheckBox->click();
  EXPECT_EQ(boxTexts()[0], "3");

  window_->ITE_SETUP_BitBtn->click();
  window_->ITE_CHECK_CON_BitBtn->click();
  const QStringList lines = memo();
  EXPECT_TRUE(lines.contains("All settings sent successfully."));
  EXPECT_TRUE(lines.contains("Найден ID мульта -> 8502 ревизия -> 01"));
}

TEST_F(IteWindow, TypedPinThatIsNotInTheListGoesOutAsFf) {
  open();
  auto* box = window_->ComboBox[11];  // INIT#
  box->lineEdit()->setText("x");
  emit box->lineEdit()->textEdited("x");
  auto* other = window_->ComboBox[9];  // AFD#, typed as a listed value
  other->lineEdit()->setText("7");
  emit other->lineEdit()->textEdited("7");
  window_->ITE_SETUP_BitBtn->click();
  const Bytes sent = sentAfterHandshake();
  ASSERT_GE(sent.size(), 7u);
  EXPECT_EQ((Bytes(sent.begin() + 1, sent.begin() + 7)), (Bytes{'I', 'N', 0xFF, 'D', 'S', 7}));
}

TEST_F(IteWindow, ReadRunsOnTheWorkerAndExitWaitsForItsEnd) {
  open();
  settingsInAdapter();
  board_->setFlash(emu::demoIteFirmware());
  dialogs_.answerNextDialog(path("flash.bin"));
  window_->ITE_READ_BitBtn->click();
  EXPECT_TRUE(window_->ITE_READ_BitBtn->isEnabled());
  window_->ITE_EXIT_BitBtn->click();  // ignored while the read runs
  EXPECT_EQ(mainWindowShown_, 0);
  waitForWorker();

  EXPECT_EQ(readFile(path("flash.bin")), emu::demoIteFirmware());
  EXPECT_TRUE(memo().contains("We all read "));
  EXPECT_EQ(window_->gauge(kIteGauge)->progress(), 512);
  EXPECT_EQ(window_->gauge(kIteGauge)->foreColor(), colors::kLime);
  EXPECT_TRUE(allButtonsEnabled());
  EXPECT_EQ(dialogs_.dialogsShown().at(0).defaultName, "ITE_");

  window_->ITE_EXIT_BitBtn->click();
  EXPECT_EQ(window_->logMemo()->lineCount(), 0);
  EXPECT_EQ(window_->gauge(kIteGauge)->progress(), 0);
  EXPECT_EQ(mainWindowShown_, 1);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(IteWindow, WriteDisablesTheOtherButtonsUntilTheFlashIsProgrammed) {
  open();
  settingsInAdapter();
  board_->setEraseTime(std::chrono::milliseconds(300));
  Bytes image(IteTool::kFlashSize, 0xFF);
  for (int i = 0; i < 600; ++i) image[0x4000 + i] = static_cast<std::uint8_t>(i);
  writeFile(path("image.bin"), image);
  dialogs_.answerNextDialog(path("image.bin"));
  window_->ITE_WRITE_BitBtn->click();
  QCoreApplication::processEvents();
  EXPECT_FALSE(window_->ITE_READ_BitBtn->isEnabled());
  EXPECT_FALSE(window_->ITE_SETUP_BitBtn->isEnabled());
  EXPECT_TRUE(window_->ITE_WRITE_BitBtn->isEnabled());
  waitForWorker();

  EXPECT_EQ(board_->flash(), image);
  EXPECT_TRUE(memo().contains("We are all write ... "));
  // The read-back after the write shows as verifying.
  EXPECT_TRUE(memo().contains(QString::fromUtf8(ite_text::kSafety.verifyOk)));
  EXPECT_EQ(window_->gauge(kIteGauge)->foreColor(), colors::kYellow);
  EXPECT_EQ(window_->gauge(kIteGauge)->progress(), 512);
  EXPECT_TRUE(allButtonsEnabled());
}

TEST_F(IteWindow, TheSafetyBoxesDecideTheStepsAroundTheDocumentedWrite) {
  open();
  settingsInAdapter();
  Bytes image(IteTool::kFlashSize, 0xFF);
  for (int i = 0; i < 900; ++i) image[0x8000 + i] = static_cast<std::uint8_t>(i * 7);
  writeFile(path("image.bin"), image);
  // The documented write alone, as the tool's own handlers run it.
  view_.answerNextDialog(path("image.bin"));
  ASSERT_TRUE(tool_.startWrite());
  runWorker();
  const Bytes documented = adapter_->lastOpenReceived();
  const std::size_t opens = adapter_->openCount();

  ASSERT_TRUE(window_->Safety->verifyBox()->isChecked());
  ASSERT_TRUE(window_->Safety->backupBox()->isChecked());
  window_->Safety->verifyBox()->click();
  window_->Safety->backupBox()->click();
  dialogs_.answerNextDialog(path("image.bin"));
  window_->ITE_WRITE_BitBtn->click();
  waitForWorker();
  EXPECT_EQ(adapter_->openCount(), opens + 1);
  EXPECT_EQ(adapter_->lastOpenReceived(), documented);
  EXPECT_TRUE(memo().contains(QString::fromUtf8(ite_text::kWriteNotVerified)));
  EXPECT_FALSE(std::filesystem::exists(path("backups")));

  // Checked again: the old firmware is kept, then the write is read back.
  window_->Safety->verifyBox()->click();
  window_->Safety->backupBox()->click();
  Bytes old(IteTool::kFlashSize, 0x3C);
  board_->setFlash(old);
  dialogs_.answerNextDialog(path("image.bin"));
  window_->ITE_WRITE_BitBtn->click();
  waitForWorker();
  EXPECT_EQ(adapter_->openCount(), opens + 4);
  EXPECT_EQ(board_->flash(), image);
  EXPECT_TRUE(memo().contains(QString::fromUtf8(ite_text::kSafety.verifyOk)));
  std::vector<std::filesystem::path> saved;
  for (const auto& entry : std::filesystem::directory_iterator(path("backups"))) {
    saved.push_back(entry.path());
  }
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(readFile(saved[0].string()), old);

  // The folder opens through the context's opener, which launches nothing here.
  window_->Safety->openFolderButton()->click();
  EXPECT_EQ(foldersOpened_, std::vector<std::string>{path("backups")});
}

// Every line of the sample file is a complete preset whose pins fit its connector.
TEST(IteSamplePresets, EveryLineAppliesAndMirrorsWithoutAMessage) {
  const auto list = loadPresetList(ITE_SAMPLE_PRESETS_FILE);
  ASSERT_FALSE(list.fileMissing);
  ASSERT_GE(list.items.size(), 4u);
  for (std::size_t i = 1; i < list.items.size(); ++i) {
    PinAssignments pins{};
    EXPECT_EQ(applyPreset(list.items[i], pins).status, PresetStatus::kApplied) << list.items[i];
    const PinAssignments straight = pins;
    EXPECT_EQ(mirrorPins(list.items[i], pins).status, PresetStatus::kApplied) << list.items[i];
    for (int pin : pins) EXPECT_GE(pin, 1) << list.items[i];
    mirrorPins(list.items[i], pins);
    EXPECT_EQ(pins, straight);
  }
}

}  // namespace
}  // namespace tarvex::test
