#pragma once
// The EDID EEPROM tool window: read the panel EEPROM to a file, write a file into it. Each
// link session runs on a worker (EdidWorker), so the window stays responsive; while an
// operation runs the start buttons are disabled and every handler refuses.

#include <QPointer>
#include <QPushButton>

#include "widgets/chain_driver.h"
#include "widgets/qt_tool_view.h"
#include "widgets/safety_controls.h"
#include "safety/double_read.h"
#include "tools/edid/edid_safe_ops.h"
#include "tools/edid/edid_tool.h"

namespace tarvex {

class TEDID_form : public QtToolView {
  Q_OBJECT
 public:
  explicit TEDID_form(AppContext& context, QWidget* parent = nullptr,
                      edid::EdidBounds bounds = {});
  ~TEDID_form() override;

  QPushButton* EDID_READ = nullptr;
  QPushButton* EXIT_EDID = nullptr;
  QPushButton* EDID_WRITE = nullptr;
  // Under the log: the write's backup and read-back, the read taken twice and the backups
  // folder.
  SafetyControls* Safety = nullptr;

  void EDID_READClick();
  void EDID_WRITEClick();
  // Clear the log, show the main window, hide this one.
  void EXIT_EDIDClick();
  // The dialogs' can-close notifications: a file name was confirmed.
  void SaveDialog1CanClose();
  void OpenDialog1CanClose();

  const edid::EdidTool& tool() const { return tool_; }
  // An operation runs (its steps on the worker, or a question between them).
  bool busy() const { return chain_->running(); }

 protected:
  void dialogCanClose(FileDialogSpec::Kind kind) override;

 private:
  // Starts an operation unless one runs; the start buttons stay disabled until it ends.
  void startOperation(PhaseChain chain);
  ToolThread* makeWorker(std::function<void()> body);

  edid::EdidTool tool_;
  edid::EdidSafeOps safe_;
  DoubleRead doubleRead_;
  ChainDriver* chain_ = nullptr;
  QPointer<ToolThread> worker_;
};

}  // namespace tarvex
