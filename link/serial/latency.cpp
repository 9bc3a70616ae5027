#include "link/serial/latency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <fstream>

namespace tarvex::serial {
namespace {

bool writeSysfsAttribute(const std::string& sysfsDir, std::uint8_t milliseconds) {
  if (sysfsDir.empty()) return false;
  std::ofstream out(sysfsDir + "/latency_timer");
  if (!out) return false;
  out << static_cast<unsigned>(milliseconds) << '\n';
  out.flush();
  return static_cast<bool>(out);
}

bool requestLowLatency(int fd) {
  serial_struct info{};
  if (ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
  if (info.flags & ASYNC_LOW_LATENCY) return true;
  info.flags |= ASYNC_LOW_LATENCY;
  return ioctl(fd, TIOCSSERIAL, &info) == 0;
}

}  // namespace

bool setLatencyTimer(int fd, const std::string& sysfsDir, std::uint8_t milliseconds) {
  if (writeSysfsAttribute(sysfsDir, milliseconds)) return true;
  return requestLowLatency(fd);
}

}  // namespace tarvex::serial
