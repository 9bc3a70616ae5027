#include "link/serial/serial_bus.h"

#include <sys/stat.h>

#include <cerrno>

#include "base/printable.h"
#include "link/serial/open_failure.h"
#include "link/serial/serial_device.h"

namespace tarvex::serial {
namespace {

// Where the kernel publishes a tty's port attributes (latency_timer for ftdi_sio).
std::string sysfsDirOf(const std::string& devicePath) {
  const auto slash = devicePath.find_last_of('/');
  const std::string name = slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
  const std::string dir = "/sys/class/tty/" + name + "/device";
  struct stat info {};
  return stat((dir + "/latency_timer").c_str(), &info) == 0 ? dir : std::string();
}

}  // namespace

SerialBus::SerialBus(std::string sysfsRoot, std::string devRoot)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

std::unique_ptr<SerialBus> SerialBus::forPath(std::string devicePath) {
  auto bus = std::make_unique<SerialBus>();
  bus->fixedPath_ = std::move(devicePath);
  return bus;
}

FtStatus SerialBus::scanLocked() {
  scanned_ = true;
  if (!fixedPath_.empty()) {
    ports_.clear();
    struct stat info {};
    if (stat(fixedPath_.c_str(), &info) == 0) {
      ports_.push_back({fixedPath_, fixedPath_, sysfsDirOf(fixedPath_)});
      lastOpenError_.clear();
    } else {
      lastOpenError_ = openFailureText(fixedPath_, errno);
    }
    return FT_OK;
  }
  if (!findFtdiPorts(sysfsRoot_, devRoot_, &ports_)) {
    lastOpenError_ = printable(sysfsRoot_) + "/bus/usb-serial/devices cannot be read.";
    return FT_OTHER_ERROR;
  }
  lastOpenError_.clear();
  if (ports_.empty()) {
    lastOpenError_ = "No FTDI USB-serial port (driver ftdi_sio) is attached to this machine.";
  }
  return FT_OK;
}

FtStatus SerialBus::createDeviceInfoList(std::uint32_t* count) {
  std::lock_guard lock(mutex_);
  *count = 0;
  const FtStatus status = scanLocked();
  if (status == FT_OK) *count = static_cast<std::uint32_t>(ports_.size());
  return status;
}

FtStatus SerialBus::open(std::uint32_t index, std::unique_ptr<FtDevice>* device) {
  PortInfo port;
  {
    std::lock_guard lock(mutex_);
    if (!scanned_) {
      if (const FtStatus status = scanLocked(); status != FT_OK) return status;
    }
    if (index >= ports_.size()) return FT_DEVICE_NOT_FOUND;
    port = ports_[index];
  }
  int failure = 0;
  const FtStatus status = SerialDevice::open(port, device, &failure);
  std::lock_guard lock(mutex_);
  lastOpenError_ = status == FT_OK ? std::string() : openFailureText(port.devicePath, failure);
  return status;
}

std::string SerialBus::lastOpenError() const {
  std::lock_guard lock(mutex_);
  return lastOpenError_;
}

}  // namespace tarvex::serial
