#include "tools/kb90/kb90_safe_write.h"

#include "tools/kb90/kb90_commands.h"
#include "tools/kb90/kb90_messages.h"

namespace tarvex::kb90 {

SafeChange kb90SafeWrite(Kb90Tool& tool, ToolView& view) {
  SafeChangeSteps steps;
  steps.chooseImage = [&tool] { return tool.chooseWriteImage(); };
  steps.startRead = [&tool](MemoryImage& into, const char* purpose) {
    return tool.readInto(into, purpose);
  };
  steps.startChange = [&tool](const std::string& fileName, std::vector<std::uint8_t> image) {
    return tool.writeImage(fileName, std::move(image));
  };
  // The rest of the click handler runs on the worker here: from its first command on, only
  // the worker touches the link.
  steps.runRead = steps.runChange = [&tool] {
    tool.beginTransfer();
    return tool.runWorker();
  };
  steps.flashTouched = [&tool] { return tool.flashTouched(); };
  steps.chipSize = kImageSize;
  steps.gauge = 0;
  return SafeChange(std::move(steps), view,
                    {text::kSafety, text::kPartlyWritten, text::kBackupRead, "", nullptr});
}

}  // namespace tarvex::kb90
