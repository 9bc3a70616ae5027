#pragma once
// A DialogProvider for tests: file dialogs answer from a script (a name, or nothing for a
// cancelled dialog; no answer left means cancelled), message boxes are only written down.

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "widgets/dialog_provider.h"

namespace tarvex::test {

class ScriptedDialogs final : public DialogProvider {
 public:
  void answerNextDialog(std::optional<std::string> answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(std::move(answer));
  }

  std::optional<std::string> chooseFile(const FileDialogSpec& request, QWidget*) override {
    std::lock_guard lock(mutex_);
    shown_.push_back(request);
    if (answers_.empty()) return std::nullopt;
    auto answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void showError(const std::string& text, QWidget*) override {
    std::lock_guard lock(mutex_);
    errors_.push_back(text);
  }
  void showMessage(const std::string& text, QWidget*) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(text);
  }

  // Yes/No questions are answered with `yes` (No until told otherwise) and written down.
  void answerQuestionsWith(bool yes) {
    std::lock_guard lock(mutex_);
    yes_ = yes;
  }
  bool askYesNo(const std::string& text, QWidget*) override {
    std::lock_guard lock(mutex_);
    questions_.push_back(text);
    return yes_;
  }
  std::vector<std::string> questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
  }
  // Questions with a third answer: answered with `answer` (No until told otherwise), kept
  // with the others.
  void answerThreeWayWith(Answer answer) {
    std::lock_guard lock(mutex_);
    threeWay_ = answer;
  }
  Answer askYesNoOr(const std::string& text, const std::string&, QWidget*) override {
    std::lock_guard lock(mutex_);
    questions_.push_back(text);
    return threeWay_;
  }
  std::vector<FileDialogSpec> dialogsShown() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }
  std::vector<std::string> errors() const {
    std::lock_guard lock(mutex_);
    return errors_;
  }
  std::vector<std::string> messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }

 private:
  mutable std::mutex mutex_;
  std::deque<std::optional<std::string>> answers_;
  std::vector<FileDialogSpec> shown_;
  std::vector<std::string> errors_;
  std::vector<std::string> messages_;
  std::vector<std::string> questions_;
  bool yes_ = false;
  Answer threeWay_ = Answer::kNo;
};

}  // namespace tarvex::test
