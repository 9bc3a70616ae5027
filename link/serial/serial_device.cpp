#include "link/serial/serial_device.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "link/serial/driver_version.h"
#include "link/serial/exclusive_ports.h"
#include "link/serial/fd_wait.h"
#include "link/serial/latency.h"
#include "link/serial/out_queue.h"
#include "link/serial/open_failure.h"
#include "link/serial/tty_config.h"
#include "link/wait_bounds.h"

namespace tarvex::serial {
namespace {

// Bytes moved from the kernel per read() call.
constexpr std::size_t kChunk = 4096;

bool retry(int error) {
  return error == EINTR;
}

}  // namespace

FtStatus SerialDevice::open(const PortInfo& port, std::unique_ptr<FtDevice>* device,
                           int* failure) {
  int ignored = 0;
  int& why = failure ? *failure : ignored;
  why = 0;
  const int fd = ::open(port.devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = errno;
    return (errno == ENOENT || errno == ENODEV || errno == ENXIO) ? FT_DEVICE_NOT_FOUND
                                                                  : FT_DEVICE_NOT_OPENED;
  }
  auto refuse = [fd, &why](int error) {
    why = error;
    ::close(fd);
    return FT_DEVICE_NOT_OPENED;
  };
  if (!isatty(fd)) return refuse(kNotATerminal);
  // The lock first: TIOCEXCL is a flag on the tty itself, and a loser of the race must not
  // touch the holder's tty.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(errno);
  // Noted before the flag is set, so a forced end finds it whenever it is set.
  if (!holdExclusivePort(fd)) return refuse(EMFILE);
  if (ioctl(fd, TIOCEXCL) != 0 || configureRawLine(fd) != FT_OK) {
    const int error = errno;
    ioctl(fd, TIOCNXCL);
    forgetExclusivePort(fd);
    return refuse(error);
  }
  // Whatever a previous user left in the queues is not an answer to anything of ours.
  tcflush(fd, TCIOFLUSH);
  device->reset(new SerialDevice(fd, port.sysfsDir));
  return FT_OK;
}

SerialDevice::SerialDevice(int fd, std::string sysfsDir)
    : fd_(fd), sysfsDir_(std::move(sysfsDir)) {}

SerialDevice::~SerialDevice() {
  close();
}

FtStatus SerialDevice::checkLine() {
  if (fd_ < 0) return FT_INVALID_HANDLE;
  if (lost_) return FT_IO_ERROR;
  // A zero-time poll reports a hang-up the calls below might not notice by themselves.
  const FdReady state = waitFd(fd_, 0, SteadyClock::time_point{});
  if (state == FdReady::kHungUp || state == FdReady::kError) return lose();
  return FT_OK;
}

FtStatus SerialDevice::lose() {
  lost_ = true;
  pending_.clear();
  return FT_IO_ERROR;
}

FtStatus SerialDevice::resetDevice() {
  if (const FtStatus s = checkLine(); s != FT_OK) return s;
  pending_.clear();
  return tcflush(fd_, TCIOFLUSH) == 0 ? FT_OK : lose();
}

FtStatus SerialDevice::setBaudRate(std::uint32_t baud) {
  if (const FtStatus s = checkLine(); s != FT_OK) return s;
  const FtStatus status = setLineBaudRate(fd_, baud);
  return status == FT_IO_ERROR ? lose() : status;
}

FtStatus SerialDevice::setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                              std::uint8_t parity) {
  if (const FtStatus s = checkLine(); s != FT_OK) return s;
  const FtStatus status = setLineFormat(fd_, wordLength, stopBits, parity);
  return status == FT_IO_ERROR ? lose() : status;
}

FtStatus SerialDevice::setLatencyTimer(std::uint8_t milliseconds) {
  if (const FtStatus s = checkLine(); s != FT_OK) return s;
  // A port that keeps its default timer still works, only with slower short replies.
  serial::setLatencyTimer(fd_, sysfsDir_, milliseconds);
  return FT_OK;
}

FtStatus SerialDevice::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
  if (const FtStatus s = checkLine(); s != FT_OK) return s;
  readTimeout_ = std::chrono::milliseconds(readMs);
  writeTimeout_ = std::chrono::milliseconds(writeMs);
  return FT_OK;
}

FtStatus SerialDevice::purge(std::uint32_t mask) {
  if (const FtStatus s = checkLine(); s != FT_OK) return s;
  const bool rx = (mask & FT_PURGE_RX) != 0;
  const bool tx = (mask & FT_PURGE_TX) != 0;
  if (!rx && !tx) return FT_OK;
  if (rx) pending_.clear();
  const int queues = rx && tx ? TCIOFLUSH : (rx ? TCIFLUSH : TCOFLUSH);
  return tcflush(fd_, queues) == 0 ? FT_OK : lose();
}

FtStatus SerialDevice::write(const std::uint8_t* buffer, std::uint32_t count,
                             std::uint32_t* written) {
  *written = 0;
  if (fd_ < 0) return FT_INVALID_HANDLE;
  if (lost_) return FT_IO_ERROR;
  const auto bound = writeTimeout_.count() > 0
                         ? std::chrono::duration_cast<SteadyClock::duration>(writeTimeout_)
                         : std::chrono::duration_cast<SteadyClock::duration>(bounds::kWrite);
  const auto deadline = SteadyClock::now() + bound;
  while (*written < count) {
    const ssize_t n = ::write(fd_, buffer + *written, count - *written);
    if (n > 0) {
      *written += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n < 0 && retry(errno)) continue;
    if (n < 0 && errno != EAGAIN) return lose();
    switch (waitFd(fd_, POLLOUT, deadline)) {
      case FdReady::kReady:
        break;
      case FdReady::kTimedOut:
        return FT_OK;
      case FdReady::kHungUp:
      case FdReady::kError:
        return lose();
    }
  }
  return FT_OK;
}

FtStatus SerialDevice::fill(std::size_t need, SteadyClock::time_point deadline) {
  std::uint8_t chunk[kChunk];
  while (pending_.size() < need) {
    switch (waitFd(fd_, POLLIN, deadline)) {
      case FdReady::kReady:
        break;
      case FdReady::kTimedOut:
        return FT_OK;
      case FdReady::kHungUp:
      case FdReady::kError:
        return lose();
    }
    // Take everything that is there (up to what is needed), so the next poll sleeps until
    // new bytes arrive.
    bool tookAny = false;
    while (pending_.size() < need) {
      const std::size_t want = std::min(kChunk, need - pending_.size());
      const ssize_t n = ::read(fd_, chunk, want);
      if (n > 0) {
        pending_.insert(pending_.end(), chunk, chunk + n);
        tookAny = true;
        continue;
      }
      if (n < 0 && retry(errno)) continue;
      if (n < 0 && errno != EAGAIN) return lose();
      // Readable yet nothing to read is end of file: the tty has hung up.
      if (n == 0 && !tookAny) return lose();
      break;
    }
  }
  return FT_OK;
}

FtStatus SerialDevice::read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) {
  *received = 0;
  if (fd_ < 0) return FT_INVALID_HANDLE;
  if (lost_) return FT_IO_ERROR;
  const auto deadline = SteadyClock::now() + readTimeout_;
  if (const FtStatus s = fill(count, deadline); s != FT_OK) return s;
  const auto take = static_cast<std::uint32_t>(std::min<std::size_t>(count, pending_.size()));
  std::copy_n(pending_.begin(), take, buffer);
  pending_.erase(pending_.begin(), pending_.begin() + take);
  *received = take;
  return FT_OK;
}

FtStatus SerialDevice::kernelQueued(std::uint32_t* count) {
  int queued = 0;
  if (ioctl(fd_, FIONREAD, &queued) != 0) return lose();
  *count = static_cast<std::uint32_t>(std::max(queued, 0));
  return FT_OK;
}

FtStatus SerialDevice::getStatus(std::uint32_t* rxQueue, std::uint32_t* txQueue,
                                 std::uint32_t* eventStatus) {
  *rxQueue = *txQueue = *eventStatus = 0;
  if (const FtStatus s = checkLine(); s != FT_OK) return s;
  std::uint32_t kernel = 0;
  if (const FtStatus s = kernelQueued(&kernel); s != FT_OK) return s;
  int outgoing = 0;
  if (!queryOutQueue(fd_, &outgoing)) return lose();
  *rxQueue = static_cast<std::uint32_t>(pending_.size()) + kernel;
  *txQueue = static_cast<std::uint32_t>(std::max(outgoing, 0));
  return FT_OK;
}

FtStatus SerialDevice::getDriverVersion(std::uint32_t* version) {
  *version = 0;
  if (const FtStatus s = checkLine(); s != FT_OK) return s;
  *version = kernelDriverVersion();
  return FT_OK;
}

FtStatus SerialDevice::waitForQueue(std::uint32_t count, SteadyClock::time_point deadline,
                                    std::uint32_t* queued) {
  *queued = 0;
  if (fd_ < 0) return FT_INVALID_HANDLE;
  if (lost_) return FT_IO_ERROR;
  if (const FtStatus s = fill(count, deadline); s != FT_OK) return s;
  std::uint32_t kernel = 0;
  if (const FtStatus s = kernelQueued(&kernel); s != FT_OK) return s;
  *queued = static_cast<std::uint32_t>(pending_.size()) + kernel;
  return FT_OK;
}

FtStatus SerialDevice::close() {
  if (fd_ < 0) return FT_INVALID_HANDLE;
  if (!lost_) {
    // The kernel's close waits for unsent bytes (up to 30 s on a USB serial port). Give
    // the last request, usually the outcome signal, the send bound to leave, then drop
    // the rest, so closing a stalled port never hangs. Only what is still queued is
    // dropped: on a pseudo-terminal the flush would also discard bytes already handed to
    // the other side and not yet read there.
    const auto deadline = SteadyClock::now() + bounds::kWrite;
    int outgoing = 0;
    while (queryOutQueue(fd_, &outgoing) && outgoing > 0 && SteadyClock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (outgoing > 0) tcflush(fd_, TCOFLUSH);
    ioctl(fd_, TIOCNXCL);
  }
  forgetExclusivePort(fd_);
  ::close(fd_);  // also releases the flock
  fd_ = -1;
  pending_.clear();
  return FT_OK;
}

}  // namespace tarvex::serial
