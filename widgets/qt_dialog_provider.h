#pragma once
// The dialogs and message boxes of the running program: QFileDialog and QMessageBox, titled
// with the application's name.

#include "widgets/dialog_provider.h"

namespace tarvex {

inline constexpr const char* kApplicationTitle = "Tarvex";

class QtDialogProvider final : public DialogProvider {
 public:
  std::optional<std::string> chooseFile(const FileDialogSpec& request, QWidget* parent) override;
  void showError(const std::string& text, QWidget* parent) override;
  void showMessage(const std::string& text, QWidget* parent) override;
  bool askYesNo(const std::string& text, QWidget* parent) override;
  Answer askYesNoOr(const std::string& text, const std::string& other, QWidget* parent) override;
};

}  // namespace tarvex
