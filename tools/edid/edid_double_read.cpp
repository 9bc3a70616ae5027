#include "tools/edid/edid_double_read.h"

#include <memory>

#include "tools/edid/edid_messages.h"

namespace tarvex::edid {
namespace {

// What the chain's user-interface parts leave for the worker and the dialog.
struct ReadState {
  MemoryImage* into = nullptr;
  const char* purpose = nullptr;
  bool equal = false;  // the dialog is for the image, not for two reads kept
};

}  // namespace

DoubleRead edidDoubleRead(EdidTool& tool, ToolView& view) {
  auto state = std::make_shared<ReadState>();
  DoubleReadSteps steps;
  steps.begin = [&view, state] {
    view.clearLog();  // as the read button clears it
    state->equal = false;
  };
  steps.chooseAfterReads = true;
  // The whole session, from the link's opening to its closing, runs on the worker.
  steps.startRead = [state](MemoryImage& into, const char* purpose) {
    state->into = &into;
    state->purpose = purpose;
    return true;
  };
  steps.runWork = [&tool, state] { return tool.readInto(*state->into, state->purpose); };
  steps.showImage = [&tool, state](std::span<const std::uint8_t> image) {
    state->equal = true;
    tool.logDump(image);
  };
  steps.chooseTarget = [&tool, state](StagedImage& target) {
    return tool.beginSave(target, state->equal);
  };
  steps.afterImage = [&tool](std::span<const std::uint8_t> image) { tool.logDecode(image); };
  return DoubleRead(std::move(steps), view, msg::kDoubleRead);
}

}  // namespace tarvex::edid
