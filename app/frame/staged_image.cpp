#include "app/frame/staged_image.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>

namespace tarvex {
namespace {

std::mutex faultsMutex;
std::map<std::string, StorageFault>& faults() {
  static std::map<std::string, StorageFault> instance;
  return instance;
}

StorageFault faultFor(const std::string& target) {
  std::lock_guard lock(faultsMutex);
  const auto found = faults().find(target);
  return found == faults().end() ? StorageFault{} : found->second;
}

// A name beside the target that no other file has yet; createNew() makes sure of it.
std::string tempNameFor(const std::string& target) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  std::string name = target + ".";
  for (int i = 0; i < 8; ++i) name += kLetters[pick(random)];
  return name + ".tmp";
}

// Flushes the folder's entries, so a rename in it survives a power cut.
bool syncFolderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  ::close(fd);
  return ok;
}

// Holds an existing target so that no other operation works on it meanwhile. -1 with
// *refused false when there is nothing there to hold.
int holdExistingTarget(const std::string& target, bool* refused) {
  *refused = false;
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) {
    // Nothing there (or a link to nothing, which the rename replaces): nothing to hold.
    *refused = errno != ENOENT;
    return -1;
  }
  // A directory, FIFO or device is never opened: a FIFO would block, a device may act.
  if (!S_ISREG(st.st_mode)) {
    *refused = true;
    return -1;
  }
  const int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    *refused = true;
    return -1;
  }
  // Where flock itself is unsupported the target goes unheld, as image files do.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    *refused = true;
    return -1;
  }
  return fd;
}

// Gives the file `temp` the name `wanted` ("wanted.2" and on when taken), never replacing a
// file already there. The name it has in the end.
std::string moveToFreeName(const std::string& temp, const std::string& wanted) {
  // A link to the new name fails rather than replace a file already there; where the file
  // system has no links, a rename to a name found free.
  for (int n = 1; n < 100; ++n) {
    const std::string name = wanted + (n > 1 ? "." + std::to_string(n) : "");
    if (::link(temp.c_str(), name.c_str()) == 0) {
      ::unlink(temp.c_str());
      return name;
    }
    if (errno == EEXIST) continue;
    struct stat taken {};
    if (::lstat(name.c_str(), &taken) == 0) continue;
    if (::rename(temp.c_str(), name.c_str()) == 0) return name;
    break;
  }
  return temp;
}

}  // namespace

void setStorageFault(const std::string& target, const StorageFault& fault) {
  std::lock_guard lock(faultsMutex);
  faults()[target] = fault;
}

void clearStorageFault(const std::string& target) {
  std::lock_guard lock(faultsMutex);
  faults().erase(target);
}

StagedImage::~StagedImage() { abandon(); }

bool StagedImage::begin(const std::string& target) {
  abandon();
  bool refused = false;
  const int held = holdExistingTarget(target, &refused);
  if (refused) return false;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temp = tempNameFor(target);
    if (file_.createNew(temp)) {
      active_ = true;
      target_ = target;
      temp_ = temp;
      targetLock_ = held;
      written_ = 0;
      fault_ = faultFor(target);
      return true;
    }
    if (errno != EEXIST) break;
  }
  if (held >= 0) ::close(held);
  return false;
}

bool StagedImage::write(const std::uint8_t* bytes, std::size_t count) {
  if (!active_) return false;
  std::size_t fits = count;
  if (fault_.writeRoom >= 0) {
    const long long room = fault_.writeRoom > written_ ? fault_.writeRoom - written_ : 0;
    if (static_cast<long long>(count) > room) fits = static_cast<std::size_t>(room);
  }
  if (!file_.write(bytes, fits)) return false;
  written_ += static_cast<long long>(fits);
  return fits == count;
}

bool StagedImage::commit() {
  if (!active_) return false;
  const bool flushed = file_.close() && !fault_.flushFails;
  if (!flushed) return false;
  if (fault_.renameFails || ::rename(temp_.c_str(), target_.c_str()) != 0) return false;
  // The image itself is whole on the disk now; only its new name may not be. It stays under
  // that name, but the read is not claimed as saved.
  const bool named = syncFolderOf(target_);
  active_ = false;
  if (targetLock_ >= 0) ::close(targetLock_);
  targetLock_ = -1;
  return named;
}

std::optional<StagedImage::Kept> StagedImage::abandon() {
  if (!active_) return std::nullopt;
  file_.close();
  active_ = false;
  if (targetLock_ >= 0) ::close(targetLock_);
  targetLock_ = -1;

  struct stat st {};
  const long long bytes = ::stat(temp_.c_str(), &st) == 0 ? st.st_size : written_;
  if (bytes == 0) {
    ::unlink(temp_.c_str());
    return std::nullopt;
  }
  const std::string kept = moveToFreeName(temp_, target_ + ".partial");
  syncFolderOf(kept);
  return Kept{kept, bytes};
}

std::optional<StagedImage::Kept> keepBeside(const std::string& target, const std::string& suffix,
                                            std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temp = tempNameFor(target);
    ImageFile file;
    if (!file.createNew(temp)) {
      if (errno == EEXIST) continue;
      return std::nullopt;
    }
    if (!file.write(bytes.data(), bytes.size()) || !file.close()) {
      ::unlink(temp.c_str());
      return std::nullopt;
    }
    const std::string kept = moveToFreeName(temp, target + suffix);
    syncFolderOf(kept);
    return StagedImage::Kept{kept, static_cast<long long>(bytes.size())};
  }
  return std::nullopt;
}

}  // namespace tarvex
