#pragma once
// The KB90xx tool window: read and write the controller's flash, and the wiring help that
// tells which cable pin goes to which adapter line. Reads and writes stream on the
// ReadThread_KB90 worker; the window stays responsive meanwhile.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "widgets/chain_driver.h"
#include "widgets/qt_tool_view.h"
#include "widgets/safety_controls.h"
#include "safety/double_read.h"
#include "safety/safe_change.h"
#include "tools/kb90/kb90_tool.h"
#include "tools/kb90/kb90_view.h"
#include "tools/kb90/wiring_help.h"

namespace tarvex {

class ReadThread_KB90;

class TKB901X_forms : public QtToolView, public kb90::Kb90View, public kb90::WiringView {
  Q_OBJECT
 public:
  explicit TKB901X_forms(AppContext& context, QWidget* parent = nullptr,
                         kb90::Kb90Bounds bounds = {});
  // A transfer still running when the window goes (only at program exit) is let finish:
  // its waits are bounded, and the worker uses this window's tool.
  ~TKB901X_forms() override;

  QPushButton* KB901X_READ = nullptr;
  QPushButton* EXIT_KB901X = nullptr;
  QPushButton* KB901X_WRITE = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QComboBox* ComboBox_KB901X = nullptr;
  QComboBox* ComboBox_KB901X_FFC = nullptr;
  QCheckBox* CheckBox_KB901X = nullptr;
  QLabel* Label_result = nullptr;
  // Under the gauge: the backup before a write, the read taken twice and the backups
  // folder (the adapter verifies a write itself, so there is no verify box).
  SafetyControls* Safety = nullptr;

  // Loads the connection base file into the mainboard list.
  void FormCreate();
  void KB901X_READClick();
  void KB901X_WRITEClick();
  // While idle: clear the log, show the main window, hide this one, gauge to 0.
  void EXIT_KB901XClick();
  void ComboBox_KB901XSelect();
  void ComboBox_KB901X_FFCSelect();
  void CheckBox_KB901XClick();
  // The dialogs' can-close notifications: a file name was confirmed.
  void SaveDialog_KB90CanClose();
  void OpenDialog_KB90CanClose();

  const kb90::Kb90Tool& tool() const { return tool_; }
  // A worker exists (it may be finishing after the mode word went back to "NONE").
  bool workerAlive() const;
  // A write with its backup still has steps to run.
  bool chainRunning() const { return chain_->running(); }

  // Kb90View
  void setButtonEnabled(kb90::Kb90Button button, bool enabled) override;
  // WiringView
  void addBoardItems(const std::vector<std::string>& items) override;
  void setChoicesEnabled(bool enabled) override;
  void setChoiceText(kb90::WiringChoice choice, const std::string& text) override;
  void setChoiceColor(kb90::WiringChoice choice, kb90::ChoiceColor color) override;
  void setResultText(const std::string& text) override;
  void showWiringError(const std::string& text) override;

 protected:
  void dialogCanClose(FileDialogSpec::Kind kind) override;

 private:
  void startTransfer(bool (kb90::Kb90Tool::*click)());
  kb90::WiringInputs wiringInputs() const;
  QComboBox* comboFor(kb90::WiringChoice choice) const;
  ToolThread* makeWorker(std::function<void()> body);

  kb90::Kb90Tool tool_;
  kb90::WiringHelp wiring_;
  QPointer<ReadThread_KB90> worker_;
  // A file dialog runs its own event loop inside a click handler; a second click that
  // arrives meanwhile is refused.
  bool inHandler_ = false;
  SafeChange safeWrite_;
  DoubleRead doubleRead_;
  ChainDriver* chain_ = nullptr;
};

}  // namespace tarvex
