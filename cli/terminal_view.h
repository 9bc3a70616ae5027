#pragma once
// The tools' view on a terminal: log lines on standard output as they come, progress and
// message boxes on standard error, file dialogs answered by the command line's FILE.
// Safe to call from the tool's worker and the main thread at once.

#include <mutex>
#include <optional>
#include <string>

#include "cli/cli_env.h"
#include "cli/progress.h"
#include "frame/tool_view.h"

namespace tarvex::cli {

class TerminalView : public ToolView {
 public:
  // gaugeMaximum: the maximum the tool's window gives its gauge when it is created.
  TerminalView(const CliEnv& env, int gaugeMaximum = 100);
  ~TerminalView() override;

  // The answer to the tool's file dialog; without one the dialog counts as cancelled.
  void answerDialogsWith(std::string file) { file_ = std::move(file); }

  // ToolView
  void logLine(const std::string& line) override;
  void clearLog() override {}
  void setGaugeMaximum(int gauge, int maximum) override;
  void setGaugeProgress(int gauge, int progress) override;
  void setGaugeColor(int gauge, Rgb color) override;
  void setStartButtonsEnabled(bool) override {}
  std::optional<std::string> chooseFile(const FileDialogSpec& request) override;
  void showErrorBox(const std::string& text) override;
  bool askYesNo(const std::string& question) override;
  Answer askYesNoOr(const std::string& question, const std::string& other) override;

  // A line of the command line's own on standard output (a result, a toggled cell).
  void printLine(const std::string& line);
  // A remark on standard error, after the program's name.
  void note(const std::string& text);
  // Ends the progress line, once the operation is over.
  void finish();

 private:
  void writeOut(const std::string& line);

  std::ostream& out_;
  std::ostream& err_;
  std::optional<std::string> file_;

  std::mutex mutex_;
  Progress progress_;
  bool anyLine_ = false;
};

}  // namespace tarvex::cli
