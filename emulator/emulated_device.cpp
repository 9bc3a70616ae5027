// An open emulated adapter seen through the device layer.

#include <chrono>

#include "emulator/emulator_bus.h"
#include "emulator/session.h"

namespace tarvex::emu {
namespace {

class EmulatedDevice final : public FtDevice {
 public:
  EmulatedDevice(std::shared_ptr<EmulatedAdapter> adapter, std::unique_ptr<Session> session)
      : adapter_(std::move(adapter)), session_(std::move(session)) {}
  ~EmulatedDevice() override { close(); }

  FtStatus resetDevice() override { return alive(); }
  FtStatus setBaudRate(std::uint32_t baud) override {
    if (const FtStatus s = alive(); s != FT_OK) return s;
    session_->setBaud(baud);
    return FT_OK;
  }
  FtStatus setDataCharacteristics(std::uint8_t, std::uint8_t, std::uint8_t) override {
    return alive();
  }
  FtStatus setLatencyTimer(std::uint8_t milliseconds) override {
    if (const FtStatus s = alive(); s != FT_OK) return s;
    session_->setLatency(std::chrono::milliseconds(milliseconds));
    return FT_OK;
  }
  FtStatus setTimeouts(std::uint32_t readMs, std::uint32_t) override {
    if (const FtStatus s = alive(); s != FT_OK) return s;
    readTimeout_ = std::chrono::milliseconds(readMs);
    return FT_OK;
  }
  FtStatus purge(std::uint32_t mask) override {
    if (const FtStatus s = alive(); s != FT_OK) return s;
    return (mask & FT_PURGE_RX) ? session_->hostPurge() : FT_OK;
  }
  FtStatus write(const std::uint8_t* buffer, std::uint32_t count, std::uint32_t* written) override {
    *written = 0;
    if (const FtStatus s = alive(); s != FT_OK) return s;
    return session_->hostWrite(buffer, count, written);
  }
  FtStatus read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) override {
    *received = 0;
    if (const FtStatus s = alive(); s != FT_OK) return s;
    return session_->hostRead(buffer, count, received, SteadyClock::now() + readTimeout_);
  }
  FtStatus getStatus(std::uint32_t* rx, std::uint32_t* tx, std::uint32_t* event) override {
    *rx = *tx = *event = 0;
    if (const FtStatus s = alive(); s != FT_OK) return s;
    return session_->hostQueued(rx);
  }
  FtStatus getDriverVersion(std::uint32_t* version) override {
    *version = 0;
    if (const FtStatus s = alive(); s != FT_OK) return s;
    *version = adapter_->driverVersion();
    return FT_OK;
  }
  FtStatus waitForQueue(std::uint32_t count, SteadyClock::time_point deadline,
                        std::uint32_t* queued) override {
    *queued = 0;
    if (const FtStatus s = alive(); s != FT_OK) return s;
    return session_->hostWait(count, deadline, queued);
  }
  FtStatus close() override {
    if (!session_) return FT_INVALID_HANDLE;
    session_->close();
    session_.reset();
    return FT_OK;
  }

 private:
  FtStatus alive() const {
    if (!session_) return FT_INVALID_HANDLE;
    return session_->unplugged() ? FT_IO_ERROR : FT_OK;
  }

  std::shared_ptr<EmulatedAdapter> adapter_;
  std::unique_ptr<Session> session_;
  std::chrono::milliseconds readTimeout_{0};
};

}  // namespace

std::unique_ptr<FtDevice> makeEmulatedDevice(std::shared_ptr<EmulatedAdapter> adapter,
                                             std::unique_ptr<Session> session) {
  return std::make_unique<EmulatedDevice>(std::move(adapter), std::move(session));
}

}  // namespace tarvex::emu
