#pragma once
// The device layer on real hardware: the FTDI USB-serial ports of this machine, driven
// through the kernel's ftdi_sio driver and POSIX termios.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/ft_device.h"
#include "link/serial/sysfs_scan.h"

namespace tarvex::serial {

class SerialBus final : public tarvex::FtBus {
 public:
  // Lists the FTDI ports found under <sysfsRoot>/bus/usb-serial and opens their nodes
  // under devRoot.
  explicit SerialBus(std::string sysfsRoot = "/sys", std::string devRoot = "/dev");

  // A bus of exactly one device, the tty at devicePath (a port, or a pseudo-terminal that
  // serves the software adapter). It lists the device while the path exists.
  static std::unique_ptr<SerialBus> forPath(std::string devicePath);

  // Scans afresh; open() uses the list of the latest scan, as indices refer to it.
  FtStatus createDeviceInfoList(std::uint32_t* count) override;
  FtStatus open(std::uint32_t index, std::unique_ptr<FtDevice>* device) override;
  // The path and reason of the latest failure: a --port path that is not there, a port
  // that could not be opened (no access, busy, gone). Cleared by a scan or open that works.
  std::string lastOpenError() const override;

 private:
  FtStatus scanLocked();

  const std::string sysfsRoot_;
  const std::string devRoot_;
  std::string fixedPath_;  // set for a bus made by forPath()

  mutable std::mutex mutex_;
  bool scanned_ = false;
  std::vector<PortInfo> ports_;
  std::string lastOpenError_;
};

}  // namespace tarvex::serial
