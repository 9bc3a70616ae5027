// Loading the D2XX library through dlopen.

#include <dlfcn.h>

#include "link/d2xx/d2xx_library.h"

namespace tarvex::d2xx {

const char* defaultLibraryName() { return "libftd2xx.so"; }

void* openModule(const std::string& path, std::string* error) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* why = dlerror();
    *error = why ? why : path + ": cannot be loaded";
  }
  return module;
}

void* findFunction(void* module, const char* name) { return dlsym(module, name); }

void closeModule(void* module) { dlclose(module); }

}  // namespace tarvex::d2xx
