#pragma once
// The KB90xx write as the user runs it: the image checked, a backup read of the flash,
// then the documented write, which the adapter verifies by sum and CRC.

#include "safety/safe_change.h"
#include "tools/kb90/kb90_tool.h"

namespace tarvex::kb90 {

// The tool and the view must outlive the result.
SafeChange kb90SafeWrite(Kb90Tool& tool, ToolView& view);

}  // namespace tarvex::kb90
