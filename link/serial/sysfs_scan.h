#pragma once
// Finding the adapter's serial ports: FTDI USB-serial bridges (USB vendor 0403) bound to
// the kernel's ftdi_sio driver, listed from sysfs. The sysfs and /dev roots are parameters
// so the search can run against a tree built in a temporary directory.

#include <string>
#include <vector>

namespace tarvex::serial {

struct PortInfo {
  std::string name;        // the tty name, e.g. "ttyUSB0"
  std::string devicePath;  // the node to open, e.g. "/dev/ttyUSB0"
  std::string sysfsDir;    // the usb-serial port's sysfs directory; empty when unknown
};

// The FTDI ports under <sysfsRoot>/bus/usb-serial/devices, in a stable order: by tty name,
// digits compared as numbers (ttyUSB2 before ttyUSB10). A tree without usb-serial devices
// (the module is not loaded) gives an empty list. False only when the directory exists
// but cannot be read.
bool findFtdiPorts(const std::string& sysfsRoot, const std::string& devRoot,
                   std::vector<PortInfo>* ports);

// "ttyUSB2" < "ttyUSB10": runs of digits compare by value, everything else by character.
bool naturalLess(const std::string& a, const std::string& b);

}  // namespace tarvex::serial
