#include "app/frame/backup_store.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tarvex {
namespace {

// The most "-N" suffixes tried for one second's name before giving up.
constexpr int kMaxSuffix = 1000;

std::string stampOf(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

std::string errnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Puts `from` under `to` unless `to` exists; false with errno EEXIST when it does. A file
// system without the no-replace rename gets a hard link instead, which refuses the same way.
bool moveWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

void syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string defaultBackupsFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return std::string(data) + "/tarvex/backups";
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return {};
  return std::string(home) + "/.local/share/tarvex/backups";
}

SavedBackup saveBackup(const std::string& folder, const std::string& tool,
                       std::span<const std::uint8_t> image, std::time_t when) {
  if (folder.empty()) return {{}, "no backups folder (HOME is not set)"};
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return {{}, "cannot create " + folder + ": " + ec.message()};

  const std::string base = folder + "/" + tool + "-" + stampOf(when);
  static std::atomic<unsigned> serial{0};
  const std::string temp = folder + "/." + tool + "-" + std::to_string(::getpid()) + "-" +
                           std::to_string(serial++) + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return {{}, errnoText("cannot create a file in the backups folder")};
  const bool written = writeAll(fd, image) && ::fsync(fd) == 0;
  const std::string writeError = written ? std::string() : errnoText("cannot write the backup");
  ::close(fd);
  if (!written) {
    ::unlink(temp.c_str());
    return {{}, writeError};
  }

  for (int suffix = 1; suffix <= kMaxSuffix; ++suffix) {
    const std::string name = base + (suffix == 1 ? "" : "-" + std::to_string(suffix)) + ".bin";
    if (moveWithoutReplacing(temp, name)) {
      syncFolder(folder);
      return {name, {}};
    }
    if (errno != EEXIST) break;
  }
  const std::string error = errnoText("cannot name the backup");
  ::unlink(temp.c_str());
  return {{}, error};
}

}  // namespace tarvex
