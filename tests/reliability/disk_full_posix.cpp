#include "tests/reliability/disk_full.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "frame/staged_image.h"

namespace tarvex::reliability {
namespace {

constexpr std::size_t kPage = 4096;
std::atomic<bool> privateMounts{false};

// Fills the file system until nothing more fits; the filler stays.
bool fillUp(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::vector<char> chunk(kPage, 0x5A);
  for (;;) {
    const ssize_t n = ::write(fd, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
  }
  const bool full = errno == ENOSPC;
  ::close(fd);
  return full;
}

}  // namespace

void DiskFull::prepare() {
  if (::geteuid() != 0) return;
  if (::unshare(CLONE_NEWNS) != 0) return;
  // Mounts made from here on must not travel back to the parent namespace.
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return;
  privateMounts = true;
}

const char* DiskFull::kind() {
  return privateMounts ? "tmpfs" : "seam";
}

DiskFull::DiskFull(std::size_t room) {
  char dir[] = "/tmp/tarvex_full_XXXXXX";
  if (::mkdtemp(dir) == nullptr) return;
  if (!privateMounts || !mountTmpfs(dir, room)) {
    scratch_ = dir;
    path_ = scratch_ + "/image.bin";
    setStorageFault(path_, {.writeRoom = static_cast<long long>(room)});
  }
}

bool DiskFull::mountTmpfs(const char* dir, std::size_t room) {
  // One page more than the room, taken by a filler: `room` (in whole pages) is what is left.
  const std::size_t pages = room / kPage + 1;
  const std::string options = "size=" + std::to_string(pages * kPage) + ",mode=0700";
  if (::mount("tarvex_full", dir, "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    return false;
  }
  mountPoint_ = dir;
  const int fd = ::open((mountPoint_ + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  const std::vector<char> page(kPage, 0x5A);
  const bool filled =
      fd >= 0 && ::write(fd, page.data(), page.size()) == static_cast<ssize_t>(kPage);
  if (fd >= 0) ::close(fd);
  if (!filled || (room < kPage && !fillUp(mountPoint_ + "/filler2"))) {
    ::umount2(dir, MNT_DETACH);
    mountPoint_.clear();
    return false;
  }
  path_ = mountPoint_ + "/image.bin";
  return true;
}

DiskFull::~DiskFull() {
  if (!scratch_.empty()) {
    clearStorageFault(path_);
    std::error_code ec;
    std::filesystem::remove_all(scratch_, ec);
    return;
  }
  if (mountPoint_.empty()) return;
  ::umount2(mountPoint_.c_str(), MNT_DETACH);
  ::rmdir(mountPoint_.c_str());
}

}  // namespace tarvex::reliability
