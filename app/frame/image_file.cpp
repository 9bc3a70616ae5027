#include "app/frame/image_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tarvex {
namespace {

int openLocked(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return -1;
  // No sharing while an operation holds the file. Not every file system supports
  // locks; where flock itself is unsupported the file is used unlocked.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

ImageFile::~ImageFile() { close(); }

ImageFile::ImageFile(ImageFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), writable_(other.writable_) {}

ImageFile& ImageFile::operator=(ImageFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    writable_ = other.writable_;
  }
  return *this;
}

bool ImageFile::createAlways(const std::string& path) {
  close();
  // Emptied only once held: a file another operation holds is refused untouched.
  fd_ = openLocked(path, O_WRONLY | O_CREAT);
  writable_ = true;
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd_, 0) != 0) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

bool ImageFile::createNew(const std::string& path) {
  close();
  fd_ = openLocked(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW);
  writable_ = true;
  return fd_ >= 0;
}

bool ImageFile::openExisting(const std::string& path) {
  close();
  fd_ = openLocked(path, O_RDONLY);
  writable_ = false;
  return fd_ >= 0;
}

bool ImageFile::write(const std::uint8_t* bytes, std::size_t count) {
  if (fd_ < 0) return false;
  while (count > 0) {
    const ssize_t n = ::write(fd_, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

long ImageFile::read(std::uint8_t* bytes, std::size_t count) {
  if (fd_ < 0) return -1;
  std::size_t total = 0;
  while (total < count) {
    const ssize_t n = ::read(fd_, bytes + total, count - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    total += static_cast<std::size_t>(n);
  }
  return static_cast<long>(total);
}

long long ImageFile::size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
  return st.st_size;
}

bool ImageFile::close() {
  if (fd_ < 0) return true;
  bool ok = true;
  // Delayed allocation can hold back a full disk until the data is flushed.
  if (writable_ && ::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) ok = false;
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  return ok;
}

}  // namespace tarvex
