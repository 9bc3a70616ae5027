#include "link/d2xx/d2xx_bus.h"

#include "link/d2xx/d2xx_device.h"

namespace tarvex::d2xx {

std::unique_ptr<D2xxBus> D2xxBus::load(const std::string& libraryPath) {
  std::string error;
  auto library = Library::load(libraryPath, &error);
  return std::make_unique<D2xxBus>(std::move(library), library ? std::string() : error);
}

FtStatus D2xxBus::createDeviceInfoList(std::uint32_t* count) {
  *count = 0;
  if (!library_) return FT_OK;
  Dword found = 0;
  const FtStatus status = library_->api().createDeviceInfoList(&found);
  *count = status == FT_OK ? found : 0;
  std::lock_guard lock(mutex_);
  lastOpenError_ = status == FT_OK && found == 0 ? "The D2XX driver lists no FTDI device." : "";
  return status;
}

FtStatus D2xxBus::open(std::uint32_t index, std::unique_ptr<FtDevice>* device) {
  if (!library_) return FT_DEVICE_NOT_FOUND;
  Handle handle = nullptr;
  const FtStatus status = library_->api().open(static_cast<int>(index), &handle);
  std::lock_guard lock(mutex_);
  if (status != FT_OK || !handle) {
    lastOpenError_ = "D2XX device " + std::to_string(index) +
                     (status == FT_DEVICE_NOT_OPENED ? ": in use by another program."
                                                     : ": cannot be opened (status " +
                                                           std::to_string(status) + ").");
    return status != FT_OK ? status : FT_INVALID_HANDLE;
  }
  lastOpenError_.clear();
  device->reset(new D2xxDevice(library_, handle));
  return FT_OK;
}

std::string D2xxBus::lastOpenError() const {
  std::lock_guard lock(mutex_);
  return lastOpenError_;
}

}  // namespace tarvex::d2xx
