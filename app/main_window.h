#pragma once
// The main window: it only launches the tools. A tool button shows its window and hides
// this one; Exit ends the program; the small unlabelled button opens the connection test
// beside it.

#include <QPushButton>
#include <QWidget>

#include "app/shell_windows.h"

namespace tarvex {

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm1(const ShellWindows& windows, QWidget* parent = nullptr);

  QPushButton* EDID = nullptr;
  QPushButton* Keyboard = nullptr;
  QPushButton* KB901X = nullptr;
  QPushButton* MEC16XX = nullptr;
  QPushButton* ITE_BitBtn1 = nullptr;
  QPushButton* Exit = nullptr;
  QPushButton* Test_connect = nullptr;

  void EDIDClick();
  void KeyboardClick();
  void KB901XClick();
  void MEC16XXClick();
  void ITE_BitBtn1Click();
  void ExitClick();
  void Test_connectClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void switchTo(QWidget* tool);

  const ShellWindows& windows_;
};

inline constexpr const char* kMainCaption = "Tarvex  VER4.7  22/11/2015 English";

}  // namespace tarvex
