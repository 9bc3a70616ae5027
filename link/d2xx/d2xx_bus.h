#pragma once
// The device layer through the vendor's D2XX library, loaded at run time: the default on
// Windows where ftd2xx.dll is installed, and a choice on Linux where FTDI's own driver
// (libftd2xx.so) is.

#include <memory>
#include <mutex>
#include <string>

#include "link/d2xx/d2xx_library.h"
#include "link/ft_device.h"

namespace tarvex::d2xx {

class D2xxBus final : public FtBus {
 public:
  // A bus on the library at that path (or bare name). One whose library cannot be loaded
  // lists no device and names the reason as its open error.
  static std::unique_ptr<D2xxBus> load(const std::string& libraryPath);

  D2xxBus(std::shared_ptr<Library> library, std::string loadError)
      : library_(std::move(library)), lastOpenError_(std::move(loadError)) {}
  bool available() const { return library_ != nullptr; }

  FtStatus createDeviceInfoList(std::uint32_t* count) override;
  FtStatus open(std::uint32_t index, std::unique_ptr<FtDevice>* device) override;
  std::string lastOpenError() const override;

 private:
  std::shared_ptr<Library> library_;
  mutable std::mutex mutex_;
  std::string lastOpenError_;
};

}  // namespace tarvex::d2xx
