#pragma once
// Which processes hold a tty open, found by looking through /proc/<pid>/fd for a node of
// the same device number. Best effort: the descriptors of other users' processes are
// hidden from an unprivileged caller, and the scan stops after a bounded number of entries.

#include <string>
#include <sys/types.h>
#include <vector>

namespace tarvex::serial {

struct PortHolder {
  pid_t pid = 0;
  std::string command;  // the process's name as the kernel keeps it (comm), may be empty
};

// The holders of devicePath (this process included), in the order /proc lists them.
std::vector<PortHolder> findPortHolders(const std::string& devicePath,
                                        const std::string& procRoot = "/proc");

}  // namespace tarvex::serial
