#pragma once
// The D2XX library loaded at run time: ftd2xx.dll on Windows (LoadLibrary), libftd2xx.so
// elsewhere (dlopen). Nothing of it is linked in, so the program runs where it is not
// installed and uses it where it is.

#include <memory>
#include <string>

#include "link/d2xx/d2xx_api.h"

namespace tarvex::d2xx {

// The name the system's loader looks for: "ftd2xx.dll" or "libftd2xx.so".
const char* defaultLibraryName();

// The system's half (d2xx_library_posix.cpp, d2xx_library_win.cpp): a module opened by
// path or bare name (null with *error set), a function of it by name, closing it.
void* openModule(const std::string& path, std::string* error);
void* findFunction(void* module, const char* name);
void closeModule(void* module);

// A loaded library with every function of Api resolved; unloaded when the last user goes.
class Library {
 public:
  // Null, with *error saying why, when the library is not there or lacks a function.
  static std::shared_ptr<Library> load(const std::string& path, std::string* error);
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  const Api& api() const { return api_; }

 private:
  explicit Library(void* module) : module_(module) {}
  void* module_;
  Api api_;
};

}  // namespace tarvex::d2xx
