#pragma once
// The software adapter as a device-layer backend: a bus of emulated adapters that the
// program opens exactly as it opens real ones.

#include <memory>
#include <mutex>
#include <vector>

#include "emulator/emulated_adapter.h"
#include "link/ft_device.h"

namespace tarvex::emu {

class EmulatorBus final : public FtBus {
 public:
  // Adds an adapter at the end of the device list.
  std::shared_ptr<EmulatedAdapter> attach(std::shared_ptr<EmulatedAdapter> adapter);
  std::shared_ptr<EmulatedAdapter> attach(std::vector<std::uint8_t> tag = tags::v41());
  void detachAll();
  std::vector<std::shared_ptr<EmulatedAdapter>> adapters() const;

  // The driver itself failing to list devices.
  void setListingFails(bool fails);

  FtStatus createDeviceInfoList(std::uint32_t* count) override;
  FtStatus open(std::uint32_t index, std::unique_ptr<FtDevice>* device) override;

 private:
  std::vector<std::shared_ptr<EmulatedAdapter>> pluggedLocked() const;

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<EmulatedAdapter>> adapters_;
  bool listingFails_ = false;
};

// Wraps one session so it behaves as an open device.
std::unique_ptr<FtDevice> makeEmulatedDevice(std::shared_ptr<EmulatedAdapter> adapter,
                                             std::unique_ptr<Session> session);

}  // namespace tarvex::emu
