#pragma once
// One open COM port (an FTDI adapter's virtual COM port, or any port given as COMn) seen
// through the device layer, with the Win32 communications calls.
//
// The port is opened without sharing, so a second open fails until close, as with the
// vendor library. All I/O is overlapped: reads return at once with what the driver holds
// (the read interval timeout is MAXDWORD), and a wait for N bytes sleeps in
// WaitForSingleObject on a WaitCommEvent(EV_RXCHAR) until bytes arrive or the deadline
// passes. A port whose calls fail (an unplugged adapter) is marked lost: that call and
// every later one return FT_IO_ERROR at once. Not thread-safe: one operation uses an open
// device at a time.

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>

#include "link/ft_device.h"

namespace tarvex::comport {

class ComDevice final : public FtDevice {
 public:
  // FT_DEVICE_NOT_FOUND when there is no such port; FT_DEVICE_NOT_OPENED when it is held by
  // someone else or refuses the line settings. *failure (when given) gets the system's
  // error code of the step that failed.
  static FtStatus open(const std::string& portName, std::unique_ptr<FtDevice>* device,
                       DWORD* failure = nullptr);

  ~ComDevice() override;
  ComDevice(const ComDevice&) = delete;
  ComDevice& operator=(const ComDevice&) = delete;

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
  ComDevice(HANDLE port, HANDLE ioEvent, HANDLE waitEvent);
  FtStatus lose();
  FtStatus usable() const;
  FtStatus queueCounts(std::uint32_t* rx, std::uint32_t* tx);
  // Runs one overlapped call to its end within the deadline; cancels it past it.
  bool finish(BOOL started, OVERLAPPED* overlapped, SteadyClock::time_point deadline,
              DWORD* done);

  HANDLE port_;
  HANDLE ioEvent_;    // reads and writes
  HANDLE waitEvent_;  // the receive-event wait
  bool lost_ = false;
  std::chrono::milliseconds readTimeout_{0};
  std::chrono::milliseconds writeTimeout_{0};
};

}  // namespace tarvex::comport
