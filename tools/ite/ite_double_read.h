#pragma once
// The ITE read as the user runs it: the flash read twice and compared before the image goes
// under the chosen name.

#include "safety/double_read.h"
#include "tools/ite/ite_tool.h"

namespace tarvex {

// The tool and the view must outlive the result.
DoubleRead iteDoubleRead(IteTool& tool, ToolView& view);

}  // namespace tarvex
