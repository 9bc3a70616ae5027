#include "link/comport/com_bus.h"

#include "base/printable.h"
#include "link/comport/com_device.h"
#include "link/comport/com_ports.h"

namespace tarvex::comport {
namespace {

std::string openFailureText(const std::string& port, DWORD error) {
  const std::string name = printable(port);
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return name + ": no such port.";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return name + ": the port is in use by another program.";
    default:
      return name + ": " + systemErrorText(error) + ".";
  }
}

}  // namespace

std::unique_ptr<ComBus> ComBus::forPort(std::string portName) {
  auto bus = std::make_unique<ComBus>();
  bus->fixedPort_ = std::move(portName);
  return bus;
}

void ComBus::scanLocked() {
  scanned_ = true;
  lastOpenError_.clear();
  if (!fixedPort_.empty()) {
    // Listed as named: not every system lists a port mapped in by hand (Wine's dosdevices
    // links), and an open of a port that is not there says so itself.
    ports_ = {fixedPort_};
    return;
  }
  ports_ = findFtdiComPorts();
  if (ports_.empty()) {
    lastOpenError_ = "No COM port of an FTDI adapter (USB vendor 0403) is attached to this machine.";
  }
}

FtStatus ComBus::createDeviceInfoList(std::uint32_t* count) {
  std::lock_guard lock(mutex_);
  scanLocked();
  *count = static_cast<std::uint32_t>(ports_.size());
  return FT_OK;
}

FtStatus ComBus::open(std::uint32_t index, std::unique_ptr<FtDevice>* device) {
  std::string port;
  {
    std::lock_guard lock(mutex_);
    if (!scanned_) scanLocked();
    if (index >= ports_.size()) return FT_DEVICE_NOT_FOUND;
    port = ports_[index];
  }
  DWORD failure = 0;
  const FtStatus status = ComDevice::open(port, device, &failure);
  std::lock_guard lock(mutex_);
  lastOpenError_ = status == FT_OK ? std::string() : openFailureText(port, failure);
  return status;
}

std::string ComBus::lastOpenError() const {
  std::lock_guard lock(mutex_);
  return lastOpenError_;
}

}  // namespace tarvex::comport
