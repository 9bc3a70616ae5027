#include "link/comport/com_device.h"

#include <algorithm>
#include <utility>

#include "base/wide_path.h"
#include "link/wait_bounds.h"

namespace tarvex::comport {
namespace {

// The milliseconds from now to the deadline, for a Win32 wait; 0 once it has passed.
DWORD millisecondsUntil(SteadyClock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
  if (left.count() <= 0) return 0;
  return static_cast<DWORD>(std::min<long long>(left.count(), INFINITE - 1));
}

// "COM3" and "\\.\COM3" both name the port; the device path works for COM10 and above.
std::wstring devicePathOf(const std::string& portName) {
  if (portName.rfind("\\\\.\\", 0) == 0) return widePath(portName);
  return widePath("\\\\.\\" + portName);
}

}  // namespace

FtStatus ComDevice::open(const std::string& portName, std::unique_ptr<FtDevice>* device,
                         DWORD* failure) {
  DWORD ignored = 0;
  DWORD& why = failure ? *failure : ignored;
  why = 0;
  // Share mode 0: the port is this program's until it is closed.
  HANDLE port = CreateFileW(devicePathOf(portName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    why = GetLastError();
    return why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND ? FT_DEVICE_NOT_FOUND
                                                                      : FT_DEVICE_NOT_OPENED;
  }
  auto refuse = [&](DWORD error) {
    why = error;
    CloseHandle(port);
    return FT_DEVICE_NOT_OPENED;
  };
  DCB line{};
  line.DCBlength = sizeof line;
  if (!GetCommState(port, &line)) return refuse(GetLastError());
  // Raw 8N1 at the adapter's rate, no flow control and no character substitution.
  line.BaudRate = kAdapterBaudRate;
  line.ByteSize = 8;
  line.Parity = NOPARITY;
  line.StopBits = ONESTOPBIT;
  line.fBinary = TRUE;
  line.fParity = FALSE;
  line.fOutxCtsFlow = FALSE;
  line.fOutxDsrFlow = FALSE;
  line.fDtrControl = DTR_CONTROL_ENABLE;
  line.fDsrSensitivity = FALSE;
  line.fOutX = FALSE;
  line.fInX = FALSE;
  line.fErrorChar = FALSE;
  line.fNull = FALSE;
  line.fRtsControl = RTS_CONTROL_ENABLE;
  line.fAbortOnError = FALSE;
  // Reads return at once with what is there; waiting is WaitCommEvent's job.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  if (!SetCommState(port, &line) || !SetCommTimeouts(port, &timeouts) ||
      !SetCommMask(port, EV_RXCHAR)) {
    return refuse(GetLastError());
  }
  // Whatever a previous user left in the queues is not an answer to anything of ours.
  PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
  HANDLE ioEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE waitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!ioEvent || !waitEvent) {
    const DWORD error = GetLastError();
    if (ioEvent) CloseHandle(ioEvent);
    if (waitEvent) CloseHandle(waitEvent);
    return refuse(error);
  }
  device->reset(new ComDevice(port, ioEvent, waitEvent));
  return FT_OK;
}

ComDevice::ComDevice(HANDLE port, HANDLE ioEvent, HANDLE waitEvent)
    : port_(port), ioEvent_(ioEvent), waitEvent_(waitEvent) {}

ComDevice::~ComDevice() { close(); }

FtStatus ComDevice::lose() {
  lost_ = true;
  return FT_IO_ERROR;
}

FtStatus ComDevice::usable() const {
  if (port_ == INVALID_HANDLE_VALUE) return FT_INVALID_HANDLE;
  return lost_ ? FT_IO_ERROR : FT_OK;
}

bool ComDevice::finish(BOOL started, OVERLAPPED* overlapped, SteadyClock::time_point deadline,
                       DWORD* done) {
  *done = 0;
  if (started) return GetOverlappedResult(port_, overlapped, done, FALSE) != 0;
  if (GetLastError() != ERROR_IO_PENDING) return false;
  if (WaitForSingleObject(overlapped->hEvent, millisecondsUntil(deadline)) != WAIT_OBJECT_0) {
    // Past the deadline: the call is cancelled, and what it moved meanwhile still counts.
    CancelIoEx(port_, overlapped);
  }
  // Waits for the end of the cancelled call, which the driver ends at once.
  if (GetOverlappedResult(port_, overlapped, done, TRUE)) return true;
  return GetLastError() == ERROR_OPERATION_ABORTED;
}

FtStatus ComDevice::resetDevice() {
  if (const FtStatus s = usable(); s != FT_OK) return s;
  return PurgeComm(port_, PURGE_RXCLEAR | PURGE_TXCLEAR) ? FT_OK : lose();
}

FtStatus ComDevice::setBaudRate(std::uint32_t baud) {
  if (const FtStatus s = usable(); s != FT_OK) return s;
  DCB line{};
  line.DCBlength = sizeof line;
  if (!GetCommState(port_, &line)) return lose();
  line.BaudRate = baud;
  return SetCommState(port_, &line) ? FT_OK : FT_INVALID_BAUD_RATE;
}

FtStatus ComDevice::setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                           std::uint8_t parity) {
  if (const FtStatus s = usable(); s != FT_OK) return s;
  if (wordLength < 5 || wordLength > 8 || stopBits > 2 || parity > 4) return FT_INVALID_PARAMETER;
  DCB line{};
  line.DCBlength = sizeof line;
  if (!GetCommState(port_, &line)) return lose();
  // The vendor's codes for stop bits (0: one, 2: two) and parity (0 none .. 4 space) are
  // the DCB's, but for one and a half stop bits, which the adapter never uses.
  line.ByteSize = wordLength;
  line.StopBits = stopBits == 0 ? ONESTOPBIT : TWOSTOPBITS;
  line.Parity = parity;
  line.fParity = parity != NOPARITY;
  return SetCommState(port_, &line) ? FT_OK : FT_INVALID_PARAMETER;
}

// The virtual COM port driver takes its latency timer from the port's advanced settings;
// a port that keeps its default still works, only with slower short replies.
FtStatus ComDevice::setLatencyTimer(std::uint8_t) { return usable(); }

FtStatus ComDevice::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
  if (const FtStatus s = usable(); s != FT_OK) return s;
  readTimeout_ = std::chrono::milliseconds(readMs);
  writeTimeout_ = std::chrono::milliseconds(writeMs);
  return FT_OK;
}

FtStatus ComDevice::purge(std::uint32_t mask) {
  if (const FtStatus s = usable(); s != FT_OK) return s;
  DWORD flags = 0;
  if (mask & FT_PURGE_RX) flags |= PURGE_RXCLEAR;
  if (mask & FT_PURGE_TX) flags |= PURGE_TXCLEAR;
  if (flags == 0) return FT_OK;
  return PurgeComm(port_, flags) ? FT_OK : lose();
}

FtStatus ComDevice::write(const std::uint8_t* buffer, std::uint32_t count,
                          std::uint32_t* written) {
  *written = 0;
  if (const FtStatus s = usable(); s != FT_OK) return s;
  const auto bound = writeTimeout_.count() > 0
                         ? std::chrono::duration_cast<SteadyClock::duration>(writeTimeout_)
                         : std::chrono::duration_cast<SteadyClock::duration>(bounds::kWrite);
  const auto deadline = SteadyClock::now() + bound;
  while (*written < count) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent_;
    ResetEvent(ioEvent_);
    DWORD done = 0;
    const BOOL started = WriteFile(port_, buffer + *written, count - *written, nullptr, &overlapped);
    if (!finish(started, &overlapped, deadline, &done)) return lose();
    *written += done;
    // A write that moved nothing by its deadline ends with what went: the caller sees the
    // short count, as with the vendor library's write timeout.
    if (done == 0 || SteadyClock::now() >= deadline) break;
  }
  return FT_OK;
}

FtStatus ComDevice::read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) {
  *received = 0;
  if (const FtStatus s = usable(); s != FT_OK) return s;
  if (readTimeout_.count() > 0) {
    std::uint32_t queued = 0;
    const FtStatus waited = waitForQueue(count, SteadyClock::now() + readTimeout_, &queued);
    if (waited != FT_OK) return waited;
  }
  OVERLAPPED overlapped{};
  overlapped.hEvent = ioEvent_;
  ResetEvent(ioEvent_);
  DWORD done = 0;
  // With the interval timeout at MAXDWORD the driver hands over what it holds at once.
  const BOOL started = ReadFile(port_, buffer, count, nullptr, &overlapped);
  if (!finish(started, &overlapped, SteadyClock::now() + bounds::kWrite, &done)) return lose();
  *received = done;
  return FT_OK;
}

FtStatus ComDevice::queueCounts(std::uint32_t* rx, std::uint32_t* tx) {
  DWORD errors = 0;
  COMSTAT state{};
  if (!ClearCommError(port_, &errors, &state)) return lose();
  *rx = state.cbInQue;
  *tx = state.cbOutQue;
  return FT_OK;
}

FtStatus ComDevice::getStatus(std::uint32_t* rxQueue, std::uint32_t* txQueue,
                              std::uint32_t* eventStatus) {
  *rxQueue = *txQueue = *eventStatus = 0;
  if (const FtStatus s = usable(); s != FT_OK) return s;
  return queueCounts(rxQueue, txQueue);
}

// A COM port has no driver version of the vendor's kind; 0 says so.
FtStatus ComDevice::getDriverVersion(std::uint32_t* version) {
  *version = 0;
  return usable();
}

FtStatus ComDevice::waitForQueue(std::uint32_t count, SteadyClock::time_point deadline,
                                 std::uint32_t* queued) {
  *queued = 0;
  if (const FtStatus s = usable(); s != FT_OK) return s;
  std::uint32_t unsent = 0;
  for (;;) {
    // The wait is armed before the count is taken, so a byte that comes in between
    // completes it instead of being missed.
    OVERLAPPED overlapped{};
    overlapped.hEvent = waitEvent_;
    ResetEvent(waitEvent_);
    DWORD events = 0;
    const BOOL armed = WaitCommEvent(port_, &events, &overlapped);
    if (!armed && GetLastError() != ERROR_IO_PENDING) return lose();
    if (queueCounts(queued, &unsent) != FT_OK) return FT_IO_ERROR;
    const bool enough = *queued >= count;
    if (!enough && !armed) {
      // Asleep until a byte arrives or the deadline passes.
      WaitForSingleObject(waitEvent_, millisecondsUntil(deadline));
    }
    if (!armed) {
      // Ends a wait still pending (a new mask completes it), then collects it.
      SetCommMask(port_, EV_RXCHAR);
      DWORD ignored = 0;
      GetOverlappedResult(port_, &overlapped, &ignored, TRUE);
    }
    if (enough) return FT_OK;
    if (SteadyClock::now() >= deadline) return queueCounts(queued, &unsent);
  }
}

FtStatus ComDevice::close() {
  if (port_ == INVALID_HANDLE_VALUE) return FT_INVALID_HANDLE;
  CloseHandle(std::exchange(port_, INVALID_HANDLE_VALUE));
  CloseHandle(ioEvent_);
  CloseHandle(waitEvent_);
  return FT_OK;
}

}  // namespace tarvex::comport
