#include "tools/ite/ite_double_read.h"

#include "tools/ite/ite_messages.h"

namespace tarvex {

DoubleRead iteDoubleRead(IteTool& tool, ToolView& view) {
  DoubleReadSteps steps;
  steps.chooseTarget = [&view](StagedImage& target) {
    const auto chosen = view.chooseFile(IteTool::readDialog());
    if (!chosen) {
      view.logLine(ite_text::kReadCancelled);
      return false;
    }
    if (!target.begin(*chosen)) {
      view.logLine(ite_text::kReadCreateFailed);
      view.showErrorBox(dialog_text::kCreateFailed);
      return false;
    }
    return true;
  };
  steps.startRead = [&tool](MemoryImage& into, const char* purpose) {
    return tool.startReadInto(into, purpose, IteButton::kRead);
  };
  steps.runWork = [&tool] { return tool.runWorker(); };
  steps.gauge = kIteGauge;
  return DoubleRead(std::move(steps), view, ite_text::kDoubleRead);
}

}  // namespace tarvex
