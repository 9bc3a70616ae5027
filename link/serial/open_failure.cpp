#include "link/serial/open_failure.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/printable.h"
#include "link/serial/port_holders.h"

namespace tarvex::serial {
namespace {

// Debian's group for serial ports; the port's own group when it has another one.
constexpr const char* kSerialGroup = "dialout";
constexpr const char* kUdevRule = "70-tarvex-ftdi.rules";

std::string groupOf(const std::string& devicePath) {
  struct stat node {};
  if (stat(devicePath.c_str(), &node) != 0 || node.st_gid == 0) return kSerialGroup;
  const group* entry = getgrgid(node.st_gid);
  return entry && entry->gr_name && *entry->gr_name ? entry->gr_name : kSerialGroup;
}

std::string userName() {
  if (const passwd* account = getpwuid(getuid()); account && account->pw_name) {
    return account->pw_name;
  }
  return "$USER";
}

std::string permissionDenied(const std::string& devicePath) {
  const std::string group = printable(groupOf(devicePath));
  return "permission denied. Install the udev rule " + std::string(kUdevRule) +
         " (it gives the user at the seat the port) and plug the adapter in again, or join "
         "the group of the port: sudo usermod -aG " +
         group + " " + printable(userName()) + ", then log in again.";
}

std::string busy(const std::string& devicePath) {
  const auto holders = findPortHolders(devicePath);
  if (holders.empty()) {
    return "the port is busy: another program holds it. Close the program that uses it.";
  }
  std::string names;
  for (const PortHolder& holder : holders) {
    if (!names.empty()) names += ", ";
    names += holder.pid == getpid() ? "this program" : printable(holder.command);
    names += " (PID " + std::to_string(holder.pid) + ")";
  }
  return "the port is busy, held by " + names + ". Close it there first.";
}

}  // namespace

std::string openFailureText(const std::string& devicePath, int error) {
  std::string reason;
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      reason = "no such device (is the adapter plugged in?)";
      break;
    case EACCES:
    case EPERM:
      reason = permissionDenied(devicePath);
      break;
    case EBUSY:
    case EWOULDBLOCK:
      reason = busy(devicePath);
      break;
    case kNotATerminal:
      reason = "not a serial port";
      break;
    default:
      reason = std::strerror(error);
      break;
  }
  return printable(devicePath) + ": " + reason;
}

}  // namespace tarvex::serial
