#include "emulator/emulator_bus.h"

#include "emulator/session.h"

namespace tarvex::emu {

std::shared_ptr<EmulatedAdapter> EmulatorBus::attach(std::shared_ptr<EmulatedAdapter> adapter) {
  std::lock_guard lock(mutex_);
  adapters_.push_back(adapter);
  return adapter;
}

std::shared_ptr<EmulatedAdapter> EmulatorBus::attach(std::vector<std::uint8_t> tag) {
  return attach(std::make_shared<EmulatedAdapter>(std::move(tag)));
}

void EmulatorBus::detachAll() {
  std::lock_guard lock(mutex_);
  adapters_.clear();
}

std::vector<std::shared_ptr<EmulatedAdapter>> EmulatorBus::adapters() const {
  std::lock_guard lock(mutex_);
  return adapters_;
}

void EmulatorBus::setListingFails(bool fails) {
  std::lock_guard lock(mutex_);
  listingFails_ = fails;
}

std::vector<std::shared_ptr<EmulatedAdapter>> EmulatorBus::pluggedLocked() const {
  std::vector<std::shared_ptr<EmulatedAdapter>> plugged;
  for (const auto& adapter : adapters_) {
    if (adapter->plugged()) plugged.push_back(adapter);
  }
  return plugged;
}

FtStatus EmulatorBus::createDeviceInfoList(std::uint32_t* count) {
  std::lock_guard lock(mutex_);
  *count = 0;
  if (listingFails_) return FT_OTHER_ERROR;
  *count = static_cast<std::uint32_t>(pluggedLocked().size());
  return FT_OK;
}

FtStatus EmulatorBus::open(std::uint32_t index, std::unique_ptr<FtDevice>* device) {
  std::shared_ptr<EmulatedAdapter> adapter;
  {
    std::lock_guard lock(mutex_);
    const auto plugged = pluggedLocked();
    if (index >= plugged.size()) return FT_DEVICE_NOT_FOUND;
    adapter = plugged[index];
  }
  std::unique_ptr<Session> session;
  if (const FtStatus status = adapter->open(&session); status != FT_OK) return status;
  *device = makeEmulatedDevice(std::move(adapter), std::move(session));
  return FT_OK;
}

}  // namespace tarvex::emu
