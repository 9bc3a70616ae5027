// Loading the D2XX library through LoadLibraryExW. A bare name is looked for beside the
// program and then where the system keeps its DLLs, never in the current folder.

#include <windows.h>

#include "base/wide_path.h"
#include "link/comport/com_ports.h"
#include "link/d2xx/d2xx_library.h"

namespace tarvex::d2xx {

const char* defaultLibraryName() { return "ftd2xx.dll"; }

void* openModule(const std::string& path, std::string* error) {
  const bool bare = path.find_first_of("\\/:") == std::string::npos;
  const DWORD flags = bare ? LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                           : LOAD_WITH_ALTERED_SEARCH_PATH;
  HMODULE module = LoadLibraryExW(widePath(path).c_str(), nullptr, flags);
  if (!module) *error = path + ": " + comport::systemErrorText(GetLastError());
  return module;
}

void* findFunction(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void closeModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

}  // namespace tarvex::d2xx
