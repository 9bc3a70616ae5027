#include "cli/terminal_view.h"

namespace tarvex::cli {
namespace {

// Only the first gauge shows progress; the ITE window's second one follows the bytes
// inside a page, which says nothing a terminal needs.
constexpr int kShownGauge = 0;

}  // namespace

TerminalView::TerminalView(const CliEnv& env, int gaugeMaximum)
    : out_(*env.out), err_(*env.err), progress_(*env.err, env.errIsTerminal, gaugeMaximum, env.clock) {}

TerminalView::~TerminalView() { finish(); }

void TerminalView::writeOut(const std::string& line) {
  progress_.hide();
  out_ << line << '\n';
  out_.flush();
  progress_.show();
}

void TerminalView::logLine(const std::string& line) {
  std::lock_guard lock(mutex_);
  // Output never opens with an empty line: a tool that separates its reports in the
  // window's log starts its first one so.
  if (!anyLine_ && line.empty()) return;
  anyLine_ = true;
  writeOut(line);
}

void TerminalView::printLine(const std::string& line) {
  std::lock_guard lock(mutex_);
  anyLine_ = true;
  writeOut(line);
}

void TerminalView::note(const std::string& text) {
  std::lock_guard lock(mutex_);
  progress_.hide();
  err_ << "tarvex-cli: " << text << '\n';
  err_.flush();
  progress_.show();
}

void TerminalView::setGaugeMaximum(int gauge, int maximum) {
  if (gauge != kShownGauge) return;
  std::lock_guard lock(mutex_);
  progress_.setMaximum(maximum);
}

void TerminalView::setGaugeProgress(int gauge, int progress) {
  if (gauge != kShownGauge) return;
  std::lock_guard lock(mutex_);
  progress_.setProgress(progress);
}

void TerminalView::setGaugeColor(int gauge, Rgb color) {
  if (gauge != kShownGauge) return;
  std::lock_guard lock(mutex_);
  progress_.setColor(color);
}

std::optional<std::string> TerminalView::chooseFile(const FileDialogSpec&) { return file_; }

void TerminalView::showErrorBox(const std::string& text) { note(text); }

bool TerminalView::askYesNo(const std::string& question) {
  // Nobody is asked on the command line: --force is the Yes, given before the run starts.
  std::string flat = question;
  for (char& c : flat) {
    if (c == '\n') c = ' ';
  }
  note(flat + " -- refused; add --force to go on");
  return false;
}

Answer TerminalView::askYesNoOr(const std::string& question, const std::string&) {
  // The only question with a third answer offers to correct an EDID checksum, which
  // --fix-checksum answers before the run starts.
  std::string flat = question;
  for (char& c : flat) {
    if (c == '\n') c = ' ';
  }
  note(flat + " -- refused; add --fix-checksum to correct it, or --force to write it as it is");
  return Answer::kNo;
}

void TerminalView::finish() {
  std::lock_guard lock(mutex_);
  progress_.finish();
}

}  // namespace tarvex::cli
