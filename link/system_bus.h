#pragma once
// The adapters of this machine, as the programs reach them: on Linux the FTDI USB-serial
// ports (or FTDI's own D2XX driver when the user asks for it with TARVEX_D2XX); on Windows
// the vendor's D2XX library when it is installed, as the program was designed, else the
// adapters' virtual COM ports. A port named by the user is the only device of the bus.
// (system_bus_posix.cpp, system_bus_win.cpp)

#include <memory>
#include <optional>
#include <string>

#include "link/ft_device.h"

namespace tarvex {

std::unique_ptr<FtBus> openSystemBus(const std::optional<std::string>& port = std::nullopt);

}  // namespace tarvex
