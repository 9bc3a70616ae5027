#pragma once
// Whether this process still holds a file open: an operation must close its image file on
// every way out.

#include <string>

namespace tarvex::reliability {

bool fileHeldOpen(const std::string& path);

}  // namespace tarvex::reliability
