#pragma once
// A tiny streaming tool on the shared frame, to test the frame itself: a start handler that
// refuses while busy, opens the link, asks for a file and starts a worker that logs lines.

#include <QPushButton>
#include <atomic>
#include <vector>

#include "widgets/log_memo.h"
#include "widgets/qt_tool_view.h"
#include "widgets/tool_thread.h"
#include "frame/mode_word.h"
#include "link/adapter_link.h"

namespace tarvex::test {

class TFake_form;

class ReadThread_fake final : public ToolThread {
 public:
  explicit ReadThread_fake(TFake_form& form) : form_(form) {}

 protected:
  void Execute() override;

 private:
  TFake_form& form_;
};

class TFake_form final : public QtToolView {
 public:
  explicit TFake_form(AppContext& context) : QtToolView(context) {
    createLog("Fake_Memo");
    createGauge("CGauge_Fake", 32768);
    FAKE_READ = new QPushButton("READ", this);
    addStartButton(FAKE_READ);
  }

  // Starts a stream of `lines` log lines; false when the start was refused or abandoned.
  bool FAKE_READClick() {
    if (!mode.idle()) return false;
    if (OpenAdapterLink(context().bus, link_params::kKb90, link, *this) != kLinkReady) {
      return false;
    }
    const auto file = chooseFile({FileDialogSpec::Kind::kSave, dialog_text::kSaveTitle,
                                  "BIN файл (*.bin)|*.bin", "Noname", "bin"});
    if (!file) {
      logLine("interrupted");
      CloseAdapterLink(link);
      return false;
    }
    setStartButtonsEnabled(false);
    mode.set("Reading");
    auto* worker = new ReadThread_fake(*this);
    QObject::connect(worker, &QObject::destroyed, [this] { workerDeleted = true; });
    worker->start();
    return true;
  }

  // Writes down how many log lines the window shows when this call is carried out.
  void noteLineCount(std::vector<int>& seen) {
    runOnUi([this, &seen] { seen.push_back(logMemo()->lineCount()); });
  }

  void SaveDialog_FakeCanClose() {
    ++canCloseCalls;
    markFileChosen();
  }

  QPushButton* FAKE_READ = nullptr;
  ModeWord mode;
  LinkState link{300};
  int lines = 10000;
  std::atomic<bool> workerDone{false};
  std::atomic<bool> workerDeleted{false};
  std::atomic<int> canCloseCalls{0};

 protected:
  void dialogCanClose(FileDialogSpec::Kind) override { SaveDialog_FakeCanClose(); }
};

inline void ReadThread_fake::Execute() {
  for (int i = 0; i < form_.lines; ++i) form_.logLine("line " + std::to_string(i));
  form_.setGaugeProgress(0, 32768);
  CloseAdapterLink(form_.link);
  form_.setStartButtonsEnabled(true);
  form_.mode.set(kModeNone);
  form_.workerDone = true;
}

}  // namespace tarvex::test
