#include "link/serial/driver_version.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cctype>

namespace tarvex::serial {

std::uint32_t packKernelRelease(std::string_view release) {
  std::uint32_t fields[3] = {0, 0, 0};
  std::size_t pos = 0;
  for (int field = 0; field < 3; ++field) {
    const std::size_t start = pos;
    std::uint32_t value = 0;
    while (pos < release.size() && std::isdigit(static_cast<unsigned char>(release[pos]))) {
      value =
          std::min<std::uint32_t>(value * 10 + static_cast<std::uint32_t>(release[pos] - '0'), 255);
      ++pos;
    }
    if (pos == start) {
      if (field == 0) return 0;
      break;
    }
    fields[field] = value;
    // "6.1" is 6.1.0; anything but a dot ends the numbers ("6.1.0-18-amd64").
    if (pos >= release.size() || release[pos] != '.') break;
    ++pos;
  }
  return (fields[0] << 16) | (fields[1] << 8) | fields[2];
}

std::uint32_t kernelDriverVersion() {
  utsname name{};
  if (uname(&name) != 0) return 0;
  return packKernelRelease(name.release);
}

}  // namespace tarvex::serial
