#include "link/d2xx/d2xx_device.h"

#include <algorithm>

#include "link/wait_bounds.h"

namespace tarvex::d2xx {
namespace {

constexpr std::uint32_t kWriteBoundMs =
    std::chrono::duration_cast<std::chrono::milliseconds>(bounds::kWrite).count();

}  // namespace

D2xxDevice::D2xxDevice(std::shared_ptr<Library> library, Handle handle)
    : library_(std::move(library)), handle_(handle) {}

D2xxDevice::~D2xxDevice() { close(); }

FtStatus D2xxDevice::applyTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
  if (readMs == appliedReadMs_ && writeMs == appliedWriteMs_) return FT_OK;
  const FtStatus status = api().setTimeouts(handle_, readMs, writeMs);
  if (status == FT_OK) {
    appliedReadMs_ = readMs;
    appliedWriteMs_ = writeMs;
  }
  return status;
}

FtStatus D2xxDevice::readIntoPending(std::uint32_t count, std::uint32_t readMs) {
  // A write keeps its own bound; an unset one is the program's general write bound.
  if (const FtStatus s = applyTimeouts(readMs, writeMs_ ? writeMs_ : kWriteBoundMs); s != FT_OK) {
    return s;
  }
  const std::size_t before = pending_.size();
  pending_.resize(before + count);
  Dword received = 0;
  const FtStatus status = api().read(handle_, pending_.data() + before, count, &received);
  pending_.resize(before + std::min<Dword>(received, count));
  return status;
}

FtStatus D2xxDevice::resetDevice() {
  if (!handle_) return FT_INVALID_HANDLE;
  pending_.clear();
  return api().resetDevice(handle_);
}

FtStatus D2xxDevice::setBaudRate(std::uint32_t baud) {
  return handle_ ? api().setBaudRate(handle_, baud) : FT_INVALID_HANDLE;
}

FtStatus D2xxDevice::setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                            std::uint8_t parity) {
  return handle_ ? api().setDataCharacteristics(handle_, wordLength, stopBits, parity)
                 : FT_INVALID_HANDLE;
}

FtStatus D2xxDevice::setLatencyTimer(std::uint8_t milliseconds) {
  return handle_ ? api().setLatencyTimer(handle_, milliseconds) : FT_INVALID_HANDLE;
}

FtStatus D2xxDevice::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
  if (!handle_) return FT_INVALID_HANDLE;
  readMs_ = readMs;
  writeMs_ = writeMs;
  return FT_OK;
}

FtStatus D2xxDevice::purge(std::uint32_t mask) {
  if (!handle_) return FT_INVALID_HANDLE;
  if (mask & FT_PURGE_RX) pending_.clear();
  return api().purge(handle_, mask);
}

FtStatus D2xxDevice::write(const std::uint8_t* buffer, std::uint32_t count,
                           std::uint32_t* written) {
  *written = 0;
  if (!handle_) return FT_INVALID_HANDLE;
  if (const FtStatus s = applyTimeouts(appliedReadMs_ == UINT32_MAX ? readMs_ : appliedReadMs_,
                                       writeMs_ ? writeMs_ : kWriteBoundMs);
      s != FT_OK) {
    return s;
  }
  // The library takes a non-const buffer; it does not write to it.
  Dword done = 0;
  const FtStatus status = api().write(handle_, const_cast<std::uint8_t*>(buffer), count, &done);
  *written = std::min(done, count);
  return status;
}

FtStatus D2xxDevice::read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) {
  *received = 0;
  if (!handle_) return FT_INVALID_HANDLE;
  if (pending_.size() < count) {
    const auto need = static_cast<std::uint32_t>(count - pending_.size());
    FtStatus status = FT_OK;
    if (readMs_ > 0) {
      status = readIntoPending(need, readMs_);
    } else {
      // No waiting: only what the driver holds now.
      Dword queued = 0;
      status = api().getQueueStatus(handle_, &queued);
      if (status == FT_OK && queued > 0) status = readIntoPending(std::min(need, queued), 1);
    }
    if (status != FT_OK) return status;
  }
  const auto take = static_cast<std::uint32_t>(std::min<std::size_t>(count, pending_.size()));
  std::copy_n(pending_.begin(), take, buffer);
  pending_.erase(pending_.begin(), pending_.begin() + take);
  *received = take;
  return FT_OK;
}

FtStatus D2xxDevice::getStatus(std::uint32_t* rxQueue, std::uint32_t* txQueue,
                               std::uint32_t* eventStatus) {
  *rxQueue = *txQueue = *eventStatus = 0;
  if (!handle_) return FT_INVALID_HANDLE;
  Dword queued = 0;
  const FtStatus status = api().getQueueStatus(handle_, &queued);
  if (status == FT_OK) *rxQueue = static_cast<std::uint32_t>(pending_.size()) + queued;
  return status;
}

FtStatus D2xxDevice::getDriverVersion(std::uint32_t* version) {
  *version = 0;
  if (!handle_) return FT_INVALID_HANDLE;
  Dword value = 0;
  const FtStatus status = api().getDriverVersion(handle_, &value);
  *version = value;
  return status;
}

FtStatus D2xxDevice::waitForQueue(std::uint32_t count, SteadyClock::time_point deadline,
                                  std::uint32_t* queued) {
  *queued = 0;
  if (!handle_) return FT_INVALID_HANDLE;
  while (pending_.size() < count) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    if (left <= 0) break;
    // The library's read sleeps until the bytes are all there or its timeout runs out.
    const FtStatus status = readIntoPending(static_cast<std::uint32_t>(count - pending_.size()),
                                            static_cast<std::uint32_t>(left));
    if (status != FT_OK) return status;
  }
  std::uint32_t tx = 0;
  std::uint32_t events = 0;
  return getStatus(queued, &tx, &events);
}

FtStatus D2xxDevice::close() {
  if (!handle_) return FT_INVALID_HANDLE;
  pending_.clear();
  const FtStatus status = api().close(handle_);
  handle_ = nullptr;
  return status;
}

}  // namespace tarvex::d2xx
