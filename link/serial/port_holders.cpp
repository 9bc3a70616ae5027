#include "link/serial/port_holders.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <fstream>

namespace tarvex::serial {
namespace {

// Enough for any workstation; a machine with more is scanned only in part.
constexpr std::size_t kMaxProcesses = 8192;
constexpr std::size_t kMaxDescriptors = 200000;
constexpr std::size_t kMaxHolders = 8;

bool isNumber(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
  }
  return true;
}

std::string commandOf(const std::string& processDir) {
  std::ifstream in(processDir + "/comm");
  std::string command;
  std::getline(in, command);
  return command;
}

// Closes a directory stream on every way out.
struct DirCloser {
  DIR* dir;
  ~DirCloser() {
    if (dir) closedir(dir);
  }
};

}  // namespace

std::vector<PortHolder> findPortHolders(const std::string& devicePath,
                                        const std::string& procRoot) {
  std::vector<PortHolder> holders;
  struct stat port {};
  if (stat(devicePath.c_str(), &port) != 0 || !S_ISCHR(port.st_mode)) return holders;

  DirCloser processes{opendir(procRoot.c_str())};
  if (!processes.dir) return holders;
  std::size_t processCount = 0;
  std::size_t descriptorCount = 0;
  while (const dirent* process = readdir(processes.dir)) {
    if (!isNumber(process->d_name)) continue;
    if (++processCount > kMaxProcesses || holders.size() >= kMaxHolders) break;
    const std::string processDir = procRoot + "/" + process->d_name;
    DirCloser descriptors{opendir((processDir + "/fd").c_str())};
    if (!descriptors.dir) continue;  // another user's process, or gone meanwhile
    while (const dirent* fd = readdir(descriptors.dir)) {
      if (!isNumber(fd->d_name)) continue;
      if (++descriptorCount > kMaxDescriptors) return holders;
      struct stat node {};
      // stat() follows the descriptor's link to the open node without opening it.
      const std::string link = processDir + "/fd/" + fd->d_name;
      if (stat(link.c_str(), &node) != 0 || !S_ISCHR(node.st_mode)) continue;
      if (node.st_rdev != port.st_rdev) continue;
      holders.push_back({static_cast<pid_t>(std::strtol(process->d_name, nullptr, 10)),
                         commandOf(processDir)});
      break;
    }
  }
  return holders;
}

}  // namespace tarvex::serial
