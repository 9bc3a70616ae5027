#include "cli/cli_env.h"
#include "link/system_bus.h"

namespace tarvex::cli {

BusFactory serialBusFactory() { return &openSystemBus; }

}  // namespace tarvex::cli
