#pragma once
// What a tool's operations need from its window: log lines, gauges, button states, file
// choice and message boxes. Plain C++, so the same operations run in a window, in tests
// and from a command line. A window's implementation carries calls made on a worker
// thread over to the user-interface thread, in order.

#include <cstdint>
#include <optional>
#include <string>

#include "base/log_sink.h"

namespace tarvex {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colors {
inline constexpr Rgb kLime{0x00, 0xFF, 0x00};    // reading
inline constexpr Rgb kRed{0xFF, 0x00, 0x00};     // writing
inline constexpr Rgb kYellow{0xFF, 0xFF, 0x00};  // verifying
}  // namespace colors

// A file dialog as a tool describes it. Filters use the "Text (*.bin)|*.bin|..." form.
struct FileDialogSpec {
  enum class Kind { kSave, kOpen };
  Kind kind = Kind::kSave;
  std::string title;
  std::string filter;
  std::string defaultName;       // save dialogs: "Noname" unless the tool says otherwise
  std::string defaultExtension;  // without the dot
};

namespace dialog_text {
inline constexpr const char* kSaveTitle = "Укажите имя файла для сохранения.";
inline constexpr const char* kOpenTitle = "Укажите файл за заливки.";
inline constexpr const char* kCreateFailed = "Ошибка создания файла.";
inline constexpr const char* kOpenFailed = "Ошибка открытия файла.";
}  // namespace dialog_text

// The answer to a question that offers a third way besides Yes and No.
enum class Answer { kNo, kYes, kOther };

class ToolView : public LogSink {
 public:
  // Gauges are numbered from 0; most tools have one, the ITE tool two.
  virtual void clearLog() = 0;
  virtual void setGaugeMaximum(int gauge, int maximum) = 0;
  virtual void setGaugeProgress(int gauge, int progress) = 0;
  virtual void setGaugeColor(int gauge, Rgb color) = 0;
  virtual void setStartButtonsEnabled(bool enabled) = 0;
  // Shows the dialog (user-interface thread only). The file name when the user confirmed
  // one (the dialog's can-close notification came), nothing when they cancelled.
  virtual std::optional<std::string> chooseFile(const FileDialogSpec& request) = 0;
  // An error message box with an OK button (user-interface thread only).
  virtual void showErrorBox(const std::string& text) = 0;
  // A question with Yes and No buttons (user-interface thread only); true for Yes. A view
  // that cannot ask answers No, so nothing risky goes on unasked.
  virtual bool askYesNo(const std::string& question) {
    (void)question;
    return false;
  }
  // A question with Yes, No and a third button captioned `other` (user-interface thread
  // only). A view that cannot ask answers No.
  virtual Answer askYesNoOr(const std::string& question, const std::string& other) {
    (void)question;
    (void)other;
    return Answer::kNo;
  }
};

}  // namespace tarvex
