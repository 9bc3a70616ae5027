#pragma once
// The KB90xx read as the user runs it: the flash read twice and compared before the image
// goes under the chosen name.

#include "safety/double_read.h"
#include "tools/kb90/kb90_tool.h"

namespace tarvex::kb90 {

// The tool and the view must outlive the result.
DoubleRead kb90DoubleRead(Kb90Tool& tool, ToolView& view);

}  // namespace tarvex::kb90
