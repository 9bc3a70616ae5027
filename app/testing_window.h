#pragma once
// The connection test window: each press of the button appends a report of every device
// call of a search and handshake to the memo, which the program never clears. Closing the
// window only hides it.

#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "link/ft_device.h"

namespace tarvex {

class TTESTING : public QWidget {
  Q_OBJECT
 public:
  explicit TTESTING(FtBus& bus, QWidget* parent = nullptr);

  QPlainTextEdit* Test_memo = nullptr;
  QPushButton* BitBtn1 = nullptr;

  void BitBtn1Click();

 private:
  FtBus& bus_;
};

inline constexpr const char* kTestingCaption = "Test vcom port and device";

}  // namespace tarvex
