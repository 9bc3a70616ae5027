// The file-system calls of native_files.h on POSIX: descriptors, flock, fsync, renameat2.

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "base/native_files.h"

namespace tarvex::native {
namespace {

int fdOf(FileHandle file) { return static_cast<int>(file); }

// No sharing while an operation holds the file. Not every file system supports locks;
// where flock itself is unsupported the file is used unlocked.
bool hold(int fd) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return true;
  const int busy = errno;
  ::close(fd);
  errno = busy;
  return false;
}

}  // namespace

FileHandle openHeld(const std::string& path, OpenMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::kCreateAlways:
      // Emptied only once held: a file another operation holds is refused untouched.
      flags |= O_WRONLY | O_CREAT;
      break;
    case OpenMode::kCreateNew:
    case OpenMode::kCreateNewPrivate:
      flags |= O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
      break;
    case OpenMode::kReadExisting:
      flags |= O_RDONLY;
      break;
  }
  const int fd = ::open(path.c_str(), flags, mode == OpenMode::kCreateNewPrivate ? 0600 : 0644);
  if (fd < 0 || !hold(fd)) return kNoFile;
  struct stat st {};
  if (mode == OpenMode::kCreateAlways && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return kNoFile;
  }
  return fd;
}

Existing openExistingRegular(const std::string& path, FileHandle* file) {
  *file = kNoFile;
  // A device is never opened at all: opening some has effects of its own.
  struct stat named {};
  if (::stat(path.c_str(), &named) != 0) return errno == ENOENT ? Existing::kMissing : Existing::kFailed;
  if (!S_ISREG(named.st_mode)) return Existing::kNotRegularFile;
  // Without waiting: a file swapped for a FIFO since the check would block a plain open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == ENXIO ? Existing::kNotRegularFile : Existing::kFailed;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return Existing::kFailed;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return Existing::kNotRegularFile;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return Existing::kFailed;
  }
  if (!hold(fd)) return Existing::kFailed;
  *file = fd;
  return Existing::kOpened;
}

// flock is advisory: readers that take no lock read the held file anyway.
Existing holdExistingRegular(const std::string& path, FileHandle* file) {
  return openExistingRegular(path, file);
}

PathKind kindOf(const std::string& path, bool ownEntry) {
  struct stat st {};
  const int found = ownEntry ? ::lstat(path.c_str(), &st) : ::stat(path.c_str(), &st);
  if (found != 0) return PathKind::kNothing;
  return S_ISREG(st.st_mode) ? PathKind::kRegularFile : PathKind::kOther;
}

bool writeAll(FileHandle file, const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fdOf(file), bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

long readUpTo(FileHandle file, std::uint8_t* bytes, std::size_t count) {
  std::size_t total = 0;
  while (total < count) {
    const ssize_t n = ::read(fdOf(file), bytes + total, count - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    total += static_cast<std::size_t>(n);
  }
  return static_cast<long>(total);
}

long long sizeOf(FileHandle file) {
  struct stat st {};
  if (::fstat(fdOf(file), &st) != 0) return -1;
  return st.st_size;
}

bool close(FileHandle file, bool flush) {
  bool ok = true;
  // Delayed allocation can hold back a full disk until the data is flushed.
  if (flush && ::fsync(fdOf(file)) != 0 && errno != EINVAL && errno != EROFS) ok = false;
  if (::close(fdOf(file)) != 0) ok = false;
  return ok;
}

bool replaceHeld(const std::string& from, const std::string& to, FileHandle held) {
  const bool moved = ::rename(from.c_str(), to.c_str()) == 0;
  const int error = errno;
  if (held != kNoFile) ::close(fdOf(held));
  errno = error;
  return moved;
}

bool moveWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace rename: a hard link refuses the same way.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  // Nor links: a rename to a name found free.
  struct stat taken {};
  if (::lstat(to.c_str(), &taken) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool syncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  ::close(fd);
  return ok;
}

long processId() { return static_cast<long>(::getpid()); }

std::tm localTime(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  return local;
}

}  // namespace tarvex::native
