// The shared tool window frame: gauge, log, dialogs, and the hand-over of view calls from
// a worker to the user-interface thread.

#include <gtest/gtest.h>

#include <thread>

#include "widgets/dialog_provider.h"
#include "widgets/gauge_widget.h"
#include "widgets/log_memo.h"
#include "emulator/emulator_bus.h"
#include "tests/app/fake_tool.h"
#include "tests/app/qt_test_app.h"
#include "tests/support/scripted_dialogs.h"

namespace tarvex {
namespace {

TEST(GaugeWidget, AdvancesByBlocksAndShowsTheFlooredPercentage) {
  GaugeWidget gauge(32768);
  gauge.setProgress((32768 / 512) * 1);
  EXPECT_EQ(gauge.progress(), 64);
  EXPECT_EQ(gauge.text(), "0%");
  gauge.setProgress((32768 / 512) * 256);
  EXPECT_EQ(gauge.text(), "50%");
  gauge.setProgress((32768 / 512) * 511);
  EXPECT_EQ(gauge.text(), "99%");  // floored, not rounded
  gauge.setProgress((32768 / 512) * 512);
  EXPECT_EQ(gauge.text(), "100%");
}

TEST(GaugeWidget, ClampsProgressAndHandlesAZeroRange) {
  GaugeWidget gauge(768);
  gauge.setProgress(1000);
  EXPECT_EQ(gauge.progress(), 768);
  gauge.setProgress(-5);
  EXPECT_EQ(gauge.progress(), 0);
  gauge.setProgress(700);
  gauge.setMaxValue(512);  // a smaller maximum pulls the progress in with it
  EXPECT_EQ(gauge.progress(), 512);
  gauge.setMaxValue(0);
  EXPECT_EQ(gauge.text(), "0%");
  gauge.grab();  // painting with a zero range must not divide by it
}

TEST(DialogFilter, PairsBecomeQtFilters) {
  EXPECT_EQ(qtFilterFromPairs("BIN файл KB901X (*.bin)|*.bin"), "BIN файл KB901X (*.bin)");
  EXPECT_EQ(qtFilterFromPairs("BIN файл MEC16 (*.bin)|*.bin|Другие|*.*"),
            "BIN файл MEC16 (*.bin);;Другие (*.*)");
  EXPECT_EQ(qtFilterFromPairs("Images|*.bin;*.rom"), "Images (*.bin *.rom)");
  // The pattern after the bar is the one that counts, as the description may be stale.
  EXPECT_EQ(qtFilterFromPairs("Old (*.txt)|*.bin"), "Old (*.bin)");
  EXPECT_EQ(qtFilterFromPairs(""), "");
}

class FrameTest : public testing::Test {
 protected:
  emu::EmulatorBus bus;
  test::ScriptedDialogs dialogs;
  AppContext context{bus, dialogs, [this] { ++mainWindowShown; }, "", ""};
  int mainWindowShown = 0;
};

TEST_F(FrameTest, WorkerLinesArriveInOrderAndBeforeLaterUiLines) {
  test::TFake_form form(context);
  bus.attach();
  dialogs.answerNextDialog("/tmp/fake.bin");
  ASSERT_TRUE(form.FAKE_READClick());
  // The worker finishes without the event loop turning; its lines are still queued.
  ASSERT_TRUE(test::waitUntil([&] { return form.workerDeleted.load(); }, 60000));
  form.logLine("after the worker");  // a UI-thread call carries out the queued ones first
  auto* log = form.logMemo();
  ASSERT_EQ(log->lineCount(), 2 + 10000 + 1);  // the link's lines, the worker's, the UI line
  EXPECT_EQ(log->line(0), "Number of VCOM ports found on the machine: 1");
  for (int i = 0; i < 10000; ++i) {
    ASSERT_EQ(log->line(2 + i), QString("line %1").arg(i)) << i;
  }
  EXPECT_EQ(log->line(10002), "after the worker");
  EXPECT_EQ(form.gauge(0)->text(), "100%");
  EXPECT_TRUE(form.FAKE_READ->isEnabled());
  EXPECT_TRUE(form.mode.idle());
}

TEST_F(FrameTest, UiCallFlushesWorkerCallsEvenWithoutTheEventLoop) {
  test::TFake_form form(context);
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) form.logLine("w" + std::to_string(i));
    form.setStartButtonsEnabled(false);
  });
  worker.join();
  EXPECT_EQ(form.logMemo()->lineCount(), 0);  // handed over, not done on the worker
  form.logLine("ui");
  ASSERT_EQ(form.logMemo()->lineCount(), 101);
  EXPECT_EQ(form.logMemo()->line(99), "w99");
  EXPECT_EQ(form.logMemo()->line(100), "ui");
  EXPECT_FALSE(form.FAKE_READ->isEnabled());
}

TEST_F(FrameTest, StartRefusedWhileBusy) {
  test::TFake_form form(context);
  auto adapter = bus.attach();
  form.mode.set("Reading");
  EXPECT_FALSE(form.FAKE_READClick());
  EXPECT_EQ(adapter->openCount(), 0u);
  EXPECT_TRUE(dialogs.dialogsShown().empty());
  EXPECT_EQ(form.mode.get(), "Reading");
}

TEST_F(FrameTest, CancelledDialogLeavesNoneAndTheLinkClosed) {
  test::TFake_form form(context);
  auto adapter = bus.attach();
  dialogs.answerNextDialog(std::nullopt);
  EXPECT_FALSE(form.FAKE_READClick());
  EXPECT_TRUE(form.mode.idle());
  EXPECT_FALSE(form.link.isOpen());
  EXPECT_FALSE(adapter->isOpen());
  EXPECT_EQ(form.canCloseCalls, 0);  // only a confirmed name runs the can-close handler
  EXPECT_EQ(form.logMemo()->line(form.logMemo()->lineCount() - 1), "interrupted");
  ASSERT_EQ(dialogs.dialogsShown().size(), 1u);
  EXPECT_EQ(dialogs.dialogsShown()[0].title, "Укажите имя файла для сохранения.");
}

TEST_F(FrameTest, ChosenNameGoesThroughTheToolsCanCloseHandler) {
  test::TFake_form form(context);
  dialogs.answerNextDialog("/tmp/a.bin");
  EXPECT_EQ(form.chooseFile({}), "/tmp/a.bin");
  EXPECT_EQ(form.canCloseCalls, 1);
  // A worker asking for a file waits for the user-interface thread to show the dialog.
  dialogs.answerNextDialog("/tmp/b.bin");
  std::optional<std::string> fromWorker;
  std::thread worker([&] { fromWorker = form.chooseFile({}); });
  ASSERT_TRUE(test::waitUntil([&] { return dialogs.dialogsShown().size() == 2; }));
  worker.join();
  EXPECT_EQ(fromWorker, "/tmp/b.bin");
}

TEST_F(FrameTest, ErrorBoxFromAWorkerIsShownOnTheUiThreadInOrder) {
  test::TFake_form form(context);
  std::thread worker([&] {
    form.logLine("before");
    form.showErrorBox("Ошибка создания файла.");
  });
  ASSERT_TRUE(test::waitUntil([&] { return !dialogs.errors().empty(); }));
  worker.join();
  EXPECT_EQ(form.logMemo()->line(0), "before");
  EXPECT_EQ(dialogs.errors(), (std::vector<std::string>{"Ошибка создания файла."}));
}

TEST_F(FrameTest, BatchedLinesKeepTheirPlaceAmongOtherCalls) {
  test::TFake_form form(context);
  std::vector<int> seen;
  std::thread worker([&] {
    for (int i = 0; i < 5; ++i) form.logLine("a");
    form.noteLineCount(seen);
    for (int i = 0; i < 5; ++i) form.logLine("b");
    form.noteLineCount(seen);
  });
  worker.join();
  form.noteLineCount(seen);
  EXPECT_EQ(seen, (std::vector<int>{5, 10, 10}));
}

TEST_F(FrameTest, LogHoldsAHundredThousandLinesFromAWorker) {
  test::TFake_form form(context);
  std::thread worker([&] {
    for (int i = 0; i < 100000; ++i) form.logLine(std::to_string(i));
  });
  worker.join();
  ASSERT_TRUE(test::waitUntil([&] { return form.logMemo()->lineCount() == 100000; }));
  EXPECT_EQ(form.logMemo()->lineCount(), 100000);
  EXPECT_EQ(form.logMemo()->line(0), "0");
  EXPECT_EQ(form.logMemo()->line(99999), "99999");
  form.clearLog();
  EXPECT_EQ(form.logMemo()->lineCount(), 0);
  form.logLine("");
  EXPECT_EQ(form.logMemo()->lineCount(), 1);
  form.logLine("second");  // an empty first line keeps its place
  EXPECT_EQ(form.logMemo()->toPlainText(), "\nsecond");
}

}  // namespace
}  // namespace tarvex
