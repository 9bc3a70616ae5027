#pragma once
// The device layer: one interface with the D2XX operations the program uses, whatever
// backend sits behind it (the serial port, the software adapter). Every call returns a
// status; nothing throws. A device that has gone away fails every later call quickly.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "link/ft_types.h"

namespace tarvex {

using SteadyClock = std::chrono::steady_clock;

// One open device. Destroying it closes it.
class FtDevice {
 public:
  virtual ~FtDevice() = default;

  virtual FtStatus resetDevice() = 0;
  virtual FtStatus setBaudRate(std::uint32_t baud) = 0;
  virtual FtStatus setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                          std::uint8_t parity) = 0;
  virtual FtStatus setLatencyTimer(std::uint8_t milliseconds) = 0;

  // With a read timeout of T > 0 ms, read() returns once count bytes are there or T ms
  // have passed, with whatever arrived. With 0 it returns at once with what is queued
  // (at most count bytes): it never blocks. Callers that need a whole reply wait for it
  // with waitForQueue() first, so no caller depends on a read waiting by itself.
  virtual FtStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) = 0;
  virtual FtStatus purge(std::uint32_t mask) = 0;

  // Never touches more than count bytes of buffer.
  virtual FtStatus write(const std::uint8_t* buffer, std::uint32_t count,
                         std::uint32_t* written) = 0;
  virtual FtStatus read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) = 0;

  virtual FtStatus getStatus(std::uint32_t* rxQueue, std::uint32_t* txQueue,
                             std::uint32_t* eventStatus) = 0;
  virtual FtStatus getDriverVersion(std::uint32_t* version) = 0;

  // Blocks (in the kernel or on a condition variable, never spinning) until at least
  // count bytes are in the receive queue or the deadline passes. Reports the queue count
  // it saw last. FT_OK with *queued >= count means the bytes are there; FT_OK with fewer
  // means the deadline passed; any other status means the device failed.
  virtual FtStatus waitForQueue(std::uint32_t count, SteadyClock::time_point deadline,
                                std::uint32_t* queued) = 0;

  virtual FtStatus close() = 0;
};

// The list of attached devices.
class FtBus {
 public:
  virtual ~FtBus() = default;
  virtual FtStatus createDeviceInfoList(std::uint32_t* count) = 0;
  // A device stays busy for further opens until its FtDevice is closed.
  virtual FtStatus open(std::uint32_t index, std::unique_ptr<FtDevice>* device) = 0;

  // Beside the status codes, which stay as the vendor library has them: why the latest
  // list or open found no usable device, in words for the user (the path and the
  // system's reason), or empty when the backend cannot tell.
  virtual std::string lastOpenError() const { return {}; }
};

}  // namespace tarvex
