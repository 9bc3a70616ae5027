#pragma once
// Why a serial port could not be opened, said so that the user can act on it: the path,
// the system's reason and, where there is one, the fix (the udev rule or the group to
// join for a port without access; the program that holds a busy port).

#include <string>

namespace tarvex::serial {

// Not an errno: the node exists but is not a terminal.
inline constexpr int kNotATerminal = -1;

// The text for a failed open of devicePath with the given errno (ENOENT/ENODEV/ENXIO, EACCES/
// EPERM, EBUSY/EWOULDBLOCK, kNotATerminal, anything else by its system text).
std::string openFailureText(const std::string& devicePath, int error);

}  // namespace tarvex::serial
