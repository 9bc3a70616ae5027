#pragma once
// A tool view for headless tests: keeps every log line, gauge change, button state and
// message box, and answers file dialogs from a script. Safe to call from a worker thread.

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "frame/tool_view.h"

namespace tarvex::test {

class RecordingView : public ToolView {
 public:
  // Dialog answers, used in order: a file name, or nothing for a cancelled dialog.
  void answerNextDialog(std::optional<std::string> answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(std::move(answer));
  }

  void logLine(const std::string& line) override {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
  }
  void clearLog() override {
    std::lock_guard lock(mutex_);
    lines_.clear();
    ++clears_;
  }
  void setGaugeMaximum(int gauge, int maximum) override {
    std::lock_guard lock(mutex_);
    gaugeMax_[gauge] = maximum;
  }
  void setGaugeProgress(int gauge, int progress) override {
    std::lock_guard lock(mutex_);
    gaugeProgress_[gauge].push_back(progress);
  }
  void setGaugeColor(int gauge, Rgb color) override {
    std::lock_guard lock(mutex_);
    gaugeColor_[gauge] = color;
  }
  void setStartButtonsEnabled(bool enabled) override {
    std::lock_guard lock(mutex_);
    buttonStates_.push_back(enabled);
  }
  std::optional<std::string> chooseFile(const FileDialogSpec& request) override {
    std::lock_guard lock(mutex_);
    dialogs_.push_back(request);
    if (answers_.empty()) return std::nullopt;
    auto answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void showErrorBox(const std::string& text) override {
    std::lock_guard lock(mutex_);
    errorBoxes_.push_back(text);
  }
  // Yes/No questions are answered with `yes` (No until told otherwise) and kept.
  void answerQuestionsWith(bool yes) {
    std::lock_guard lock(mutex_);
    yes_ = yes;
  }
  bool askYesNo(const std::string& question) override {
    std::lock_guard lock(mutex_);
    questions_.push_back(question);
    return yes_;
  }
  std::vector<std::string> questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
  }
  // Questions with a third answer are answered with `answer` (No until told otherwise) and
  // kept with the others.
  void answerThreeWayWith(Answer answer) {
    std::lock_guard lock(mutex_);
    threeWay_ = answer;
  }
  Answer askYesNoOr(const std::string& question, const std::string&) override {
    std::lock_guard lock(mutex_);
    questions_.push_back(question);
    return threeWay_;
  }

  std::vector<std::string> lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  bool hasLine(const std::string& line) const {
    std::lock_guard lock(mutex_);
    for (const auto& l : lines_) {
      if (l == line) return true;
    }
    return false;
  }
  // True when some line starts with the prefix (time stamps end with the time of day).
  bool hasLineStartingWith(const std::string& prefix) const {
    std::lock_guard lock(mutex_);
    for (const auto& l : lines_) {
      if (l.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
  int clears() const {
    std::lock_guard lock(mutex_);
    return clears_;
  }
  std::vector<int> gaugeProgress(int gauge = 0) const {
    std::lock_guard lock(mutex_);
    auto it = gaugeProgress_.find(gauge);
    return it == gaugeProgress_.end() ? std::vector<int>{} : it->second;
  }
  std::optional<int> gaugeMaximum(int gauge = 0) const {
    std::lock_guard lock(mutex_);
    auto it = gaugeMax_.find(gauge);
    return it == gaugeMax_.end() ? std::nullopt : std::optional<int>(it->second);
  }
  std::optional<Rgb> gaugeColor(int gauge = 0) const {
    std::lock_guard lock(mutex_);
    auto it = gaugeColor_.find(gauge);
    return it == gaugeColor_.end() ? std::nullopt : std::optional<Rgb>(it->second);
  }
  std::vector<bool> buttonStates() const {
    std::lock_guard lock(mutex_);
    return buttonStates_;
  }
  std::vector<FileDialogSpec> dialogs() const {
    std::lock_guard lock(mutex_);
    return dialogs_;
  }
  std::vector<std::string> errorBoxes() const {
    std::lock_guard lock(mutex_);
    return errorBoxes_;
  }

 protected:
  mutable std::mutex mutex_;

 private:
  std::deque<std::optional<std::string>> answers_;
  std::vector<std::string> lines_;
  int clears_ = 0;
  std::map<int, int> gaugeMax_;
  std::map<int, std::vector<int>> gaugeProgress_;
  std::map<int, Rgb> gaugeColor_;
  std::vector<bool> buttonStates_;
  std::vector<FileDialogSpec> dialogs_;
  std::vector<std::string> errorBoxes_;
  std::vector<std::string> questions_;
  bool yes_ = false;
  Answer threeWay_ = Answer::kNo;
};

}  // namespace tarvex::test
