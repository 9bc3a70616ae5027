// Tarvex on real adapters: FTDI USB-serial ports.

#include "app/frame/standard_streams.h"
#include "app/start_up.h"

#ifdef TARVEX_HAVE_SERIAL
#include "link/serial/serial_bus.h"
#else
#include "app/no_device_bus.h"
#endif

int main(int argc, char** argv) {
  if (!tarvex::fillStandardStreams()) return 1;
#ifdef TARVEX_HAVE_SERIAL
  tarvex::serial::SerialBus bus;
#else
  tarvex::NoDeviceBus bus;
#endif
  return tarvex::runTarvex(argc, argv, bus, tarvex::installedBaseFilePaths());
}
