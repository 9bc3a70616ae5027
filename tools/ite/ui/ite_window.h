#pragma once
// The ITE tool window: the 15 pin assignments with their presets and the orientation box,
// "Send settings", the connection check, and the flash read and write, which stream on
// the ReadThread_ITE worker while the window stays responsive.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <array>

#include "widgets/chain_driver.h"
#include "widgets/qt_tool_view.h"
#include "widgets/safety_controls.h"
#include "safety/double_read.h"
#include "safety/safe_change.h"
#include "tools/ite/ite_controls.h"
#include "tools/ite/ite_tool.h"

namespace tarvex {

class ReadThread_ITE;

class TITE_FORM : public QtToolView, public IteControls {
  Q_OBJECT
 public:
  explicit TITE_FORM(AppContext& context, QWidget* parent = nullptr, IteBounds bounds = {});
  // A transfer still running when the window goes (only at program exit) is let finish:
  // its waits are bounded, and the worker uses this window's tool.
  ~TITE_FORM() override;

  QComboBox* ITE_ComboBox_MB_SWITCH = nullptr;
  QCheckBox* ITE_CheckBox = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  std::array<QComboBox*, kPinBoxCount> ComboBox{};  // ComboBox1 .. ComboBox15
  std::array<QLabel*, kPinBoxCount> PinLabel{};
  QPushButton* ITE_SETUP_BitBtn = nullptr;
  QPushButton* ITE_CHECK_CON_BitBtn = nullptr;
  QPushButton* ITE_READ_BitBtn = nullptr;
  QPushButton* ITE_WRITE_BitBtn = nullptr;
  QPushButton* ITE_EXIT_BitBtn = nullptr;
  // Under the gauges: the safety steps of a write and the backups folder.
  SafetyControls* Safety = nullptr;

  // Help text, gauges and the preset list from the presets file.
  void FormCreate();
  void ITE_ComboBox_MB_SWITCHSelect();
  void ITE_CheckBoxClick();
  void ITE_SETUP_BitBtnClick();
  void ITE_CHECK_CON_BitBtnClick();
  void ITE_READ_BitBtnClick();
  void ITE_WRITE_BitBtnClick();
  // While idle: clear the log, show the main window, hide this one, gauge to 0.
  void ITE_EXIT_BitBtnClick();
  // The dialogs' can-close notifications: a file name was confirmed.
  void ITE_SaveDialogCanClose();
  void ITE_OpenDialogCanClose();

  const IteTool& tool() const { return tool_; }
  // A worker exists (it may be finishing after the mode word went back to "NONE").
  bool workerAlive() const;
  // A write with its backup and read-back still has steps to run.
  bool chainRunning() const { return chain_->running(); }

  // IteControls
  void setButtonEnabled(IteButton button, bool enabled) override;
  void setPresetItems(const std::vector<std::string>& items, bool fileMissing) override;
  void selectPresetItem(int index) override;
  int pinIndex(int box) const override;
  void setPinIndex(int box, int index) override;
  bool orientationChecked() const override;
  void setOrientationChecked(bool checked) override;
  void setOrientationEnabled(bool enabled) override;

 protected:
  void dialogCanClose(FileDialogSpec::Kind kind) override;

 private:
  QGroupBox* buildPinGroup();
  void startWorkerIf(bool start);
  ToolThread* makeWorker(std::function<void()> body);
  QPushButton* buttonFor(IteButton button) const;

  IteTool tool_;
  // What each pin box holds: an item picked from its list, or the item matching what was
  // typed, or kNoSelection for a text that is none of them.
  std::array<int, kPinBoxCount> pins_{};
  QPointer<ReadThread_ITE> worker_;
  SafeChange safeWrite_;
  DoubleRead doubleRead_;
  ChainDriver* chain_ = nullptr;
};

}  // namespace tarvex
