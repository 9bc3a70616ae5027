#pragma once
// The MEC16 read as the user runs it: MAIN (and INFO when chosen) read twice and compared
// before the image goes under the chosen name.

#include "safety/double_read.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex::mec16 {

// The tool and the view must outlive the result.
DoubleRead mec16DoubleRead(Mec16Tool& tool, Mec16View& view, bool withInfo);

}  // namespace tarvex::mec16
