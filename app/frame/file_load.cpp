#include "app/frame/file_load.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace tarvex {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr long long kNoReadFault = -1;
std::atomic<long long> readFaultAfter{kNoReadFault};

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Opens without waiting (a pipe with no writer would block a plain open for good) and
// keeps only a regular file, then restores blocking reads.
LoadStatus openRegular(const std::string& path, int* fd) {
  // A device is never opened at all: opening some has effects of its own.
  struct stat named {};
  if (::stat(path.c_str(), &named) != 0) return LoadStatus::kOpenFailed;
  if (!S_ISREG(named.st_mode)) return LoadStatus::kNotRegularFile;
  *fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (*fd < 0) return errno == ENXIO ? LoadStatus::kNotRegularFile : LoadStatus::kOpenFailed;
  struct stat st {};
  if (::fstat(*fd, &st) != 0) return LoadStatus::kOpenFailed;
  if (!S_ISREG(st.st_mode)) return LoadStatus::kNotRegularFile;
  const int flags = ::fcntl(*fd, F_GETFL);
  if (flags < 0 || ::fcntl(*fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return LoadStatus::kOpenFailed;
  // No sharing while the file is read: a file another operation is writing is refused.
  // Where the file system has no locks the file is read unlocked.
  if (::flock(*fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return LoadStatus::kOpenFailed;
  return LoadStatus::kLoaded;
}

}  // namespace

LoadedFile loadFile(const std::string& path, std::size_t limit) {
  LoadedFile result;
  int raw = -1;
  result.status = openRegular(path, &raw);
  const Descriptor fd(raw);
  if (result.status != LoadStatus::kLoaded) return result;

  // One byte past the limit tells a longer file; nothing beyond it is read.
  const std::size_t wanted = limit + 1;
  std::vector<std::uint8_t>& bytes = result.bytes;
  while (bytes.size() < wanted) {
    const std::size_t before = bytes.size();
    bytes.resize(before + std::min(kChunk, wanted - before));
    const ssize_t n = ::read(fd.get(), bytes.data() + before, bytes.size() - before);
    if (n < 0 && errno == EINTR) {
      bytes.resize(before);
      continue;
    }
    const long long faultAfter = readFaultAfter.load();
    if (n < 0 || (faultAfter != kNoReadFault &&
                  before + static_cast<std::size_t>(n) > static_cast<std::size_t>(faultAfter))) {
      bytes.clear();
      result.status = LoadStatus::kReadFailed;
      return result;
    }
    bytes.resize(before + static_cast<std::size_t>(n));
    if (n == 0) break;
  }
  if (bytes.size() > limit) {
    result.longer = true;
    bytes.resize(limit);
  }
  return result;
}

void failLoadsAfterForTesting(std::optional<std::size_t> bytes) {
  readFaultAfter = bytes ? static_cast<long long>(*bytes) : kNoReadFault;
}

std::optional<ListFile> loadListFile(const std::string& path) {
  const LoadedFile loaded = loadFile(path, kListFileMaxBytes);
  if (!loaded.loaded()) return std::nullopt;
  return ListFile{std::string(loaded.bytes.begin(), loaded.bytes.end()), loaded.longer};
}

std::size_t ImageSource::take(std::uint8_t* out, std::size_t count) {
  const std::size_t n = std::min(count, bytes_.size() - at_);
  std::copy_n(bytes_.data() + at_, n, out);
  at_ += n;
  return n;
}

}  // namespace tarvex
