#pragma once
// The base of every tool window: implements ToolView with the standard widgets (log, gauges,
// start buttons, file dialogs, error box). Any ToolView call may come from the tool's
// worker: calls from another thread are handed to the user-interface thread in the order
// they were made, and a call made on the user-interface thread first carries out the calls
// already handed over, so the order holds across both threads.

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <vector>

#include "widgets/app_context.h"
#include "widgets/hand_over.h"
#include "frame/tool_view.h"

namespace tarvex {

class GaugeWidget;
class LogMemo;

class QtToolView : public QWidget, public ToolView {
  Q_OBJECT
 public:
  explicit QtToolView(AppContext& context, QWidget* parent = nullptr);

  void logLine(const std::string& line) override;
  void clearLog() override;
  void setGaugeMaximum(int gauge, int maximum) override;
  void setGaugeProgress(int gauge, int progress) override;
  void setGaugeColor(int gauge, Rgb color) override;
  void setStartButtonsEnabled(bool enabled) override;
  // Shown on the user-interface thread; a worker calling it waits for the answer.
  std::optional<std::string> chooseFile(const FileDialogSpec& request) override;
  void showErrorBox(const std::string& text) override;
  bool askYesNo(const std::string& question) override;
  Answer askYesNoOr(const std::string& question, const std::string& other) override;

  LogMemo* logMemo() const { return log_; }
  GaugeWidget* gauge(int index) const;
  AppContext& context() const { return context_; }

 protected:
  // The standard widgets; the tool lays them out. Gauges are numbered in creation order.
  LogMemo* createLog(const QString& objectName);
  GaugeWidget* createGauge(const QString& objectName, int maximum);
  void addStartButton(QAbstractButton* button);

  // Runs the call on the user-interface thread, in order with every other view call.
  void runOnUi(std::function<void()> call);

  // The file dialog's can-close notification. A tool overrides it to call its own handler
  // (SaveDialog_KB90CanClose and the like), which calls markFileChosen().
  virtual void dialogCanClose(FileDialogSpec::Kind kind);
  void markFileChosen() { fileChosen_ = true; }
  bool fileChosen() const { return fileChosen_; }

  // EXIT while idle: show the main window, hide this one.
  void returnToMainWindow();
  // The title bar's close box acts as this button (EXIT, with its rules while busy).
  void setExitButton(QAbstractButton* button) { exitButton_ = button; }

  void closeEvent(QCloseEvent* event) override;

 private:
  std::optional<std::string> chooseFileNow(const FileDialogSpec& request);

  AppContext& context_;
  LogMemo* log_ = nullptr;
  std::vector<GaugeWidget*> gauges_;
  std::vector<QPointer<QAbstractButton>> startButtons_;
  QPointer<QAbstractButton> exitButton_;
  std::atomic<bool> fileChosen_{false};
  UiHandOver handOver_;
};

}  // namespace tarvex
