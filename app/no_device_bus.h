#pragma once
// A device bus with nothing attached, for a build without a device backend: every search
// reports that no port is there.

#include "link/ft_device.h"

namespace tarvex {

class NoDeviceBus final : public FtBus {
 public:
  FtStatus createDeviceInfoList(std::uint32_t* count) override {
    *count = 0;
    return FT_OK;
  }
  FtStatus open(std::uint32_t, std::unique_ptr<FtDevice>*) override { return FT_DEVICE_NOT_FOUND; }
};

}  // namespace tarvex
