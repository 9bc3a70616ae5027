#include "tools/mec16/mec16_double_read.h"

#include "base/printable.h"
#include "tools/mec16/mec16_messages.h"

namespace tarvex::mec16 {

DoubleRead mec16DoubleRead(Mec16Tool& tool, Mec16View& view, bool withInfo) {
  DoubleReadSteps steps;
  steps.chooseTarget = [&view](StagedImage& target) {
    const auto chosen = view.chooseFile(Mec16Tool::readDialog());
    if (!chosen) {
      view.logLine(text::kReadCancelled);
      return false;
    }
    if (!target.begin(*chosen)) {
      view.logLine(text::kCreateFailed);
      return false;
    }
    view.logLine(text::kReadingInto);
    view.logLine(printable(*chosen));
    return true;
  };
  steps.startRead = [&tool, withInfo](MemoryImage& into, const char* purpose) {
    return tool.startReadInto(into, withInfo, purpose);
  };
  steps.runWork = [&tool] { return tool.runWorker(); };
  steps.stoppable = true;
  steps.gauge = 0;
  return DoubleRead(std::move(steps), view, text::kDoubleRead);
}

}  // namespace tarvex::mec16
