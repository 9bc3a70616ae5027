#include "link/d2xx/d2xx_library.h"

namespace tarvex::d2xx {
namespace {

template <typename Function>
bool bind(void* module, const char* name, Function* slot, std::string* missing) {
  void* found = findFunction(module, name);
  if (!found) {
    if (missing->empty()) *missing = name;
    return false;
  }
  *slot = reinterpret_cast<Function>(found);
  return true;
}

}  // namespace

std::shared_ptr<Library> Library::load(const std::string& path, std::string* error) {
  void* module = openModule(path, error);
  if (!module) return nullptr;
  std::shared_ptr<Library> library(new Library(module));
  Api& api = library->api_;
  std::string missing;
  bind(module, "FT_CreateDeviceInfoList", &api.createDeviceInfoList, &missing);
  bind(module, "FT_Open", &api.open, &missing);
  bind(module, "FT_ResetDevice", &api.resetDevice, &missing);
  bind(module, "FT_SetBaudRate", &api.setBaudRate, &missing);
  bind(module, "FT_SetDataCharacteristics", &api.setDataCharacteristics, &missing);
  bind(module, "FT_SetLatencyTimer", &api.setLatencyTimer, &missing);
  bind(module, "FT_SetTimeouts", &api.setTimeouts, &missing);
  bind(module, "FT_Purge", &api.purge, &missing);
  bind(module, "FT_Read", &api.read, &missing);
  bind(module, "FT_Write", &api.write, &missing);
  bind(module, "FT_GetQueueStatus", &api.getQueueStatus, &missing);
  bind(module, "FT_GetDriverVersion", &api.getDriverVersion, &missing);
  bind(module, "FT_Close", &api.close, &missing);
  if (!missing.empty()) {
    *error = path + " has no " + missing;
    return nullptr;
  }
  return library;
}

Library::~Library() { closeModule(module_); }

}  // namespace tarvex::d2xx
