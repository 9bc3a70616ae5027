// On Windows an image file is held without sharing (or shared for reading only), so an
// open that shares nothing fails with a sharing violation exactly while it is held.

#include <windows.h>

#include "base/wide_path.h"
#include "tests/reliability/held_files.h"

namespace tarvex::reliability {

bool fileHeldOpen(const std::string& path) {
  if (path.empty()) return false;
  HANDLE probe = CreateFileW(widePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace tarvex::reliability
