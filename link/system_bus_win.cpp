#include "link/comport/com_bus.h"
#include "link/d2xx/d2xx_bus.h"
#include "link/system_bus.h"

namespace tarvex {

std::unique_ptr<FtBus> openSystemBus(const std::optional<std::string>& port) {
  if (port) return comport::ComBus::forPort(*port);
  auto d2xx = d2xx::D2xxBus::load(d2xx::defaultLibraryName());
  if (d2xx->available()) return d2xx;
  return std::make_unique<comport::ComBus>();
}

}  // namespace tarvex
