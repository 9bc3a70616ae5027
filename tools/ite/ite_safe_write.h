#pragma once
// The ITE write as the user runs it: the image checked, a backup read of the flash, the
// documented erase and write, and a read-back compared with what was programmed.

#include "safety/safe_change.h"
#include "tools/ite/ite_tool.h"

namespace tarvex {

// The tool and the view must outlive the result.
SafeChange iteSafeWrite(IteTool& tool, ToolView& view);

}  // namespace tarvex
