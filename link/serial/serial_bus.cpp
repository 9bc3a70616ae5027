#include "link/serial/serial_bus.h"

#include <sys/stat.h>

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
    }
    return FT_OK;
  }
  return findFtdiPorts(sysfsRoot_, devRoot_, &ports_) ? FT_OK : FT_OTHER_ERROR;
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
  return SerialDevice::open(port, device);
}

}  // namespace tarvex::serial
