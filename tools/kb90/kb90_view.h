#pragma once
// What the KB90xx operations need from their window beyond the common tool view: the
// three buttons one by one (a transfer disables the opposite button and EXIT but leaves
// its own), and the wiring help's controls. Calls may come from the worker thread; the
// window carries them over to the user-interface thread, in order.

#include <string>
#include <vector>

namespace tarvex::kb90 {

enum class Kb90Button { kRead, kWrite, kExit };

class Kb90View {
 public:
  virtual ~Kb90View() = default;
  virtual void setButtonEnabled(Kb90Button button, bool enabled) = 0;
};

enum class WiringChoice { kBoard, kCable };
// Yellow marks a choice still to be made; the button face one that is made.
enum class ChoiceColor { kYellow, kButtonFace };

// The "Help for FFC cable connection" group. User-interface thread only.
class WiringView {
 public:
  virtual ~WiringView() = default;
  virtual void addBoardItems(const std::vector<std::string>& items) = 0;
  // Both combo boxes and the orientation check box.
  virtual void setChoicesEnabled(bool enabled) = 0;
  virtual void setChoiceText(WiringChoice choice, const std::string& text) = 0;
  virtual void setChoiceColor(WiringChoice choice, ChoiceColor color) = 0;
  virtual void setResultText(const std::string& text) = 0;
  // An error message box; the result text stays as it was.
  virtual void showWiringError(const std::string& text) = 0;
};

}  // namespace tarvex::kb90
