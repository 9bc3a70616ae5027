#pragma once
// One open FTDI serial port (or any tty given by path) seen through the device layer.
//
// The port is held exclusively: TIOCEXCL keeps other unprivileged programs out, and an
// flock() on the node keeps out every other opener that locks (root included, and a
// second open from this program), so a second open fails until close, as with the vendor
// library. The line is raw 8N1 at 921600 with VMIN = VTIME = 0; all waiting is ppoll()
// against a monotonic deadline.
//
// Bytes that arrive while a caller waits for more are moved from the kernel queue into a
// small queue of our own, so the wait sleeps until new bytes come instead of being woken
// again and again by the ones already there. Reads take from that queue first, and the
// receive count is both queues together.
//
// A port that hangs up (unplugged adapter, closed pseudo-terminal) or fails with an I/O
// error is marked lost: that call and every later one return FT_IO_ERROR at once.
// Not thread-safe: one operation uses an open device at a time.

#include <memory>
#include <string>
#include <vector>

#include "link/ft_device.h"
#include "link/serial/sysfs_scan.h"

namespace tarvex::serial {

class SerialDevice final : public FtDevice {
 public:
  // FT_DEVICE_NOT_FOUND when the node does not exist; FT_DEVICE_NOT_OPENED when it is held
  // by someone else, is not a tty, or refuses the line settings. On failure *failure (when
  // given) gets the errno of the step that failed, or kNotATerminal (open_failure.h).
  static FtStatus open(const PortInfo& port, std::unique_ptr<FtDevice>* device,
                       int* failure = nullptr);

  ~SerialDevice() override;
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  FtStatus resetDevice() override;
  FtStatus setBaudRate(std::uint32_t baud) override;
  FtStatus setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                  std::uint8_t parity) override;
  FtStatus setLatencyTimer(std::uint8_t milliseconds) override;
  // A read timeout of T > 0 ms: read() returns once count bytes are there or T ms have
  // passed. 0 ms: read() returns at once with what is queued. A write timeout of 0 means
  // the general send bound (bounds::kWrite): a write never blocks for ever.
  FtStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
  FtStatus purge(std::uint32_t mask) override;
  // A write that runs out of time returns FT_OK with *written short of count, as the
  // vendor library does; callers compare the two.
  FtStatus write(const std::uint8_t* buffer, std::uint32_t count, std::uint32_t* written) override;
  FtStatus read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) override;
  FtStatus getStatus(std::uint32_t* rxQueue, std::uint32_t* txQueue,
                     std::uint32_t* eventStatus) override;
  // The running kernel's release, which is the ftdi_sio driver's version (driver_version.h).
  FtStatus getDriverVersion(std::uint32_t* version) override;
  FtStatus waitForQueue(std::uint32_t count, SteadyClock::time_point deadline,
                        std::uint32_t* queued) override;
  FtStatus close() override;

 private:
  SerialDevice(int fd, std::string sysfsDir);

  // FT_OK while the port is open, not lost and not hung up.
  FtStatus checkLine();
  // Marks the port lost; returns FT_IO_ERROR for the caller to pass on.
  FtStatus lose();
  // Moves bytes from the kernel into pending_ until it holds `need` bytes or the deadline
  // passes (a deadline already past drains what is there without waiting).
  FtStatus fill(std::size_t need, SteadyClock::time_point deadline);
  FtStatus kernelQueued(std::uint32_t* count);

  int fd_;
  std::string sysfsDir_;
  bool lost_ = false;
  std::chrono::milliseconds readTimeout_{0};
  std::chrono::milliseconds writeTimeout_{0};
  std::vector<std::uint8_t> pending_;
};

}  // namespace tarvex::serial
