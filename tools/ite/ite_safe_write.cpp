#include "tools/ite/ite_safe_write.h"

#include "tools/ite/ite_controls.h"
#include "tools/ite/ite_messages.h"

namespace tarvex {

SafeChange iteSafeWrite(IteTool& tool, ToolView& view) {
  SafeChangeSteps steps;
  steps.chooseImage = [&tool] { return tool.chooseWriteImage(); };
  steps.startRead = [&tool](MemoryImage& into, const char* purpose) {
    return tool.startReadInto(into, purpose);
  };
  steps.startChange = [&tool](const std::string& fileName, std::vector<std::uint8_t> image) {
    return tool.startWriteImage(fileName, std::move(image));
  };
  steps.runRead = steps.runChange = [&tool] { return tool.runWorker(); };
  steps.expectedAfter = [&tool] { return std::optional(tool.sentImage()); };
  steps.flashTouched = [&tool] { return tool.flashTouched(); };
  steps.chipSize = IteTool::kFlashSize;
  steps.gauge = kIteGauge;
  return SafeChange(std::move(steps), view,
                    {ite_text::kSafety, ite_text::kPartlyWritten, ite_text::kBackupRead,
                     ite_text::kVerifyRead, ite_text::kWriteNotVerified});
}

}  // namespace tarvex
