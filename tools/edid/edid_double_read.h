#pragma once
// The EDID read as the user runs it: the EEPROM read twice, each read its own link
// session, and compared. As the single read, the save dialog comes once the adapter is
// done: after the compare, with the dump of the equal image before it and the decode after.

#include "safety/double_read.h"
#include "tools/edid/edid_tool.h"

namespace tarvex::edid {

// The tool and the view must outlive the result.
DoubleRead edidDoubleRead(EdidTool& tool, ToolView& view);

}  // namespace tarvex::edid
