#include "tests/reliability/held_files.h"

#include <filesystem>
#include <system_error>

namespace tarvex::reliability {

bool fileHeldOpen(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    std::error_code linkError;
    const auto target = std::filesystem::read_symlink(entry.path(), linkError);
    if (!linkError && target == path) return true;
  }
  return false;
}

}  // namespace tarvex::reliability
