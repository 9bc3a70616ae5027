// Tarvex on real adapters: this machine's FTDI adapters (link/system_bus.h).

#include "app/start_up.h"
#include "base/standard_streams.h"
#include "link/system_bus.h"

int main(int argc, char** argv) {
  if (!tarvex::fillStandardStreams()) return 1;
  const auto bus = tarvex::openSystemBus();
  return tarvex::runTarvex(argc, argv, *bus, tarvex::installedBaseFilePaths());
}
