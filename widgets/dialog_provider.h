#pragma once
// File dialogs and message boxes behind one interface, so windows show real dialogs and
// tests answer them from a script without blocking.

#include <optional>
#include <string>

#include "frame/tool_view.h"

class QWidget;

namespace tarvex {

class DialogProvider {
 public:
  virtual ~DialogProvider() = default;
  // Shows a save or open dialog; the chosen file name, or nothing when cancelled.
  virtual std::optional<std::string> chooseFile(const FileDialogSpec& request, QWidget* parent) = 0;
  // A message box with an error icon and an OK button.
  virtual void showError(const std::string& text, QWidget* parent) = 0;
  // A plain message box with an OK button.
  virtual void showMessage(const std::string& text, QWidget* parent) = 0;
  // A question with Yes and No buttons; true for Yes. No is the default button.
  virtual bool askYesNo(const std::string& text, QWidget* parent) = 0;
  // A question with Yes, No and a third button captioned `other`; No is the default. A
  // provider without the third button asks Yes or No.
  virtual Answer askYesNoOr(const std::string& text, const std::string& other, QWidget* parent) {
    (void)other;
    return askYesNo(text, parent) ? Answer::kYes : Answer::kNo;
  }
};

// "Text (*.bin)|*.bin|Другие|*.*" (description and pattern pairs) in Qt's
// "Text (*.bin);;Другие (*.*)" form. A description that already shows its pattern keeps it.
std::string qtFilterFromPairs(const std::string& filter);

}  // namespace tarvex
