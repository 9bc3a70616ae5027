#pragma once
// One adapter opened through the D2XX library. The library's own read with a timeout does
// the waiting: a wait for N bytes reads them, blocking in the driver until they are all
// there or the deadline passes, into a small queue of our own that later reads take from
// first. So nothing polls and no event notification is needed. Not thread-safe: one
// operation uses an open device at a time.

#include <chrono>
#include <memory>
#include <vector>

#include "link/d2xx/d2xx_library.h"
#include "link/ft_device.h"

namespace tarvex::d2xx {

class D2xxDevice final : public FtDevice {
 public:
  D2xxDevice(std::shared_ptr<Library> library, Handle handle);
  ~D2xxDevice() override;
  D2xxDevice(const D2xxDevice&) = delete;
  D2xxDevice& operator=(const D2xxDevice&) = delete;

  FtStatus resetDevice() override;
  FtStatus setBaudRate(std::uint32_t baud) override;
  FtStatus setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                  std::uint8_t parity) override;
  FtStatus setLatencyTimer(std::uint8_t milliseconds) override;
  FtStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
  FtStatus purge(std::uint32_t mask) override;
  FtStatus write(const std::uint8_t* buffer, std::uint32_t count, std::uint32_t* written) override;
  FtStatus read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) override;
  FtStatus getStatus(std::uint32_t* rxQueue, std::uint32_t* txQueue,
                     std::uint32_t* eventStatus) override;
  FtStatus getDriverVersion(std::uint32_t* version) override;
  FtStatus waitForQueue(std::uint32_t count, SteadyClock::time_point deadline,
                        std::uint32_t* queued) override;
  FtStatus close() override;

 private:
  const Api& api() const { return library_->api(); }
  // Sets the library's timeouts unless they are set so already.
  FtStatus applyTimeouts(std::uint32_t readMs, std::uint32_t writeMs);
  // Reads up to count bytes into the own queue, the library waiting at most readMs.
  FtStatus readIntoPending(std::uint32_t count, std::uint32_t readMs);

  std::shared_ptr<Library> library_;
  Handle handle_;
  std::vector<std::uint8_t> pending_;
  std::uint32_t readMs_ = 0;
  std::uint32_t writeMs_ = 0;
  // What the library holds now; unknown (and so set on first use) until then.
  std::uint32_t appliedReadMs_ = UINT32_MAX;
  std::uint32_t appliedWriteMs_ = UINT32_MAX;
};

}  // namespace tarvex::d2xx
