#include <cstdlib>

#include "link/d2xx/d2xx_bus.h"
#include "link/serial/serial_bus.h"
#include "link/system_bus.h"

namespace tarvex {

std::unique_ptr<FtBus> openSystemBus(const std::optional<std::string>& port) {
  if (port) return serial::SerialBus::forPath(*port);
  // FTDI's own driver instead of the kernel's, when the user asks for it:
  // TARVEX_D2XX=1 for libftd2xx.so where the loader finds it, or the library's path.
  if (const char* d2xx = std::getenv("TARVEX_D2XX"); d2xx && *d2xx) {
    const std::string library = std::string(d2xx) == "1" ? d2xx::defaultLibraryName() : d2xx;
    return d2xx::D2xxBus::load(library);
  }
  return std::make_unique<serial::SerialBus>();
}

}  // namespace tarvex
