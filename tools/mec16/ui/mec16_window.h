#pragma once
// The MEC16xx tool window: the connection check with its two protection indicators, read,
// erase and write of the controller's flash, HELP with the wiring, and the STOP/EXIT
// button. The check and the erase run inside their handlers; read and write hand their
// block streams to the worker, ReadThread_MEC16. Every handler refuses while an operation
// runs (the tool's mode word is not "NONE"), so the buttons stay enabled throughout.

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <memory>

#include "widgets/chain_driver.h"
#include "widgets/qt_tool_view.h"
#include "widgets/safety_controls.h"
#include "tools/mec16/mec16_double_read.h"
#include "tools/mec16/mec16_safe_ops.h"
#include "tools/mec16/mec16_tool.h"
#include "tools/mec16/ui/mec16_shape.h"

namespace tarvex {

class ReadThread_MEC16;

class TMEC16_Form : public QtToolView {
  Q_OBJECT
 public:
  explicit TMEC16_Form(AppContext& context, QWidget* parent = nullptr,
                       mec16::Mec16Bounds bounds = {});
  ~TMEC16_Form() override;

  QPushButton* BitBtn_MEC16 = nullptr;
  Mec16Shape* Shape_BootLock_MEC = nullptr;
  QLabel* Label_BootLock_MEC = nullptr;
  Mec16Shape* Shape_FWP_MEC16 = nullptr;
  QLabel* Label_MEC16_FWP = nullptr;
  QCheckBox* CheckBox_MEC16_RD = nullptr;
  QPushButton* BitBtn_RD_MEC16 = nullptr;
  QCheckBox* CheckBox_erase_mec16 = nullptr;
  QPushButton* BitBtn_MEC16_ERASE = nullptr;
  QCheckBox* CheckBox_write_mec16 = nullptr;
  QPushButton* BitBtn_MEC16_WRITE = nullptr;
  QPushButton* EXIT_MEC16 = nullptr;
  QPushButton* BitBtn_MEC16_HELP = nullptr;
  // Under the log and gauge: the safety steps of an erase or write and the backups folder.
  SafetyControls* Safety = nullptr;

  void BitBtn_MEC16Click();
  void BitBtn_RD_MEC16Click();
  void BitBtn_MEC16_ERASEClick();
  void BitBtn_MEC16_WRITEClick();
  // Idle: show the main window, hide this one. During an operation: the stop request.
  void EXIT_MEC16Click();
  void BitBtn_MEC16_HELPClick();
  // The dialogs' can-close notifications: a file name was confirmed.
  void SaveDialog_MEC16CanClose();
  void OpenDialog_MEC16CanClose();

  const mec16::Mec16Tool& tool() const { return *tool_; }
  // A worker that has not yet freed itself.
  bool workerAlive() const { return !worker_.isNull(); }
  // An erase or write with its backup and read-back still has steps to run.
  bool chainRunning() const { return chain_->running(); }

 protected:
  void dialogCanClose(FileDialogSpec::Kind kind) override;

 private:
  class View;
  void startWorker();
  ToolThread* makeWorker(std::function<void()> body);
  SafetyOptions safetyOptions() const;
  void paintIndicator(mec16::Indicator which, Rgb color);

  std::unique_ptr<View> view_;
  std::unique_ptr<mec16::Mec16Tool> tool_;
  std::unique_ptr<mec16::Mec16SafeOps> safe_;
  std::unique_ptr<DoubleRead> doubleRead_;  // made for each read, with the INFO box's choice
  ChainDriver* chain_ = nullptr;
  QPointer<ReadThread_MEC16> worker_;
};

}  // namespace tarvex
