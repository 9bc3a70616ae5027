#include "tools/kb90/kb90_double_read.h"

#include "base/printable.h"
#include "tools/kb90/kb90_messages.h"

namespace tarvex::kb90 {

DoubleRead kb90DoubleRead(Kb90Tool& tool, ToolView& view) {
  DoubleReadSteps steps;
  steps.chooseTarget = [&view](StagedImage& target) {
    view.clearLog();  // as the read button clears it
    const auto chosen = view.chooseFile(Kb90Tool::readDialog());
    if (!chosen) {
      view.logLine(text::kReadCancelled);
      return false;
    }
    if (!target.begin(*chosen)) {
      view.showErrorBox(dialog_text::kCreateFailed);
      return false;
    }
    view.logLine(text::kSaveFile);
    view.logLine(printable(*chosen));
    return true;
  };
  steps.startRead = [&tool](MemoryImage& into, const char* purpose) {
    return tool.readInto(into, purpose, Kb90Button::kRead);
  };
  // The rest of the click handler runs on the worker here: from its first command on, only
  // the worker touches the link.
  steps.runWork = [&tool] {
    tool.beginTransfer();
    return tool.runWorker();
  };
  steps.gauge = 0;
  return DoubleRead(std::move(steps), view, text::kDoubleRead);
}

}  // namespace tarvex::kb90
