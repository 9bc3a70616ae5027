#pragma once
// The connection test window: each press of the button appends a report of every device
// call of a search and handshake to the memo, which the program never clears. Closing the
// window only hides it. With "Repeat 100 times" checked, the press runs the link-quality
// test instead, on a thread of its own so the window stays live; the button then reads
// "Stop" and ends the test before its next handshake.

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <atomic>
#include <memory>
#include <thread>

#include "link/ft_device.h"
#include "base/log_sink.h"

namespace tarvex {

class TTESTING : public QWidget {
  Q_OBJECT
 public:
  explicit TTESTING(FtBus& bus, QWidget* parent = nullptr);
  // A link-quality test still running is stopped and waited for.
  ~TTESTING() override;

  QPlainTextEdit* Test_memo = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QCheckBox* CheckBox_repeat = nullptr;

  void BitBtn1Click();
  // True from a press with the box checked until the link-quality test has ended.
  bool linkTestRunning() const { return linkTest_.joinable(); }

 private:
  void startLinkTest();
  void linkTestEnded();

  FtBus& bus_;
  std::unique_ptr<LogSink> memoSink_;
  std::thread linkTest_;
  std::atomic<bool> stopLinkTest_{false};
};

inline constexpr const char* kTestingCaption = "Test vcom port and device";
inline constexpr const char* kTestConnect = "Test connect";
inline constexpr const char* kRepeatBox = "Repeat 100 times";
inline constexpr const char* kStopLinkTest = "Stop";

}  // namespace tarvex
