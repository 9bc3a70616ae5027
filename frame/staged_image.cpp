#include "frame/staged_image.h"

#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <system_error>
#include <utility>

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
  return native::syncFolder(native::utf8Of(native::fsPath(path).parent_path()));
}

// Holds an existing target so that no other operation works on it meanwhile. kNoFile with
// *refused false when there is nothing there to hold (or a link to nothing, which the
// rename replaces).
native::FileHandle holdExistingTarget(const std::string& target, bool* refused) {
  native::FileHandle held = native::kNoFile;
  const native::Existing found = native::holdExistingRegular(target, &held);
  *refused = found != native::Existing::kOpened && found != native::Existing::kMissing;
  return held;
}

// Gives the file `temp` the name `wanted` ("wanted.2" and on when taken), never replacing a
// file already there. The name it has in the end.
std::string moveToFreeName(const std::string& temp, const std::string& wanted) {
  for (int n = 1; n < 100; ++n) {
    const std::string name = wanted + (n > 1 ? "." + std::to_string(n) : "");
    if (native::moveWithoutReplacing(temp, name)) return name;
    if (errno != EEXIST) break;
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
  const native::FileHandle held = holdExistingTarget(target, &refused);
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
  if (held != native::kNoFile) native::close(held, false);
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
  if (fault_.renameFails) return false;
  const bool moved =
      native::replaceHeld(temp_, target_, std::exchange(targetLock_, native::kNoFile));
  if (!moved) {
    // Held again for abandon(), where the system had to let go of it for the move.
    bool refused = false;
    targetLock_ = holdExistingTarget(target_, &refused);
    return false;
  }
  // The image itself is whole on the disk now; only its new name may not be. It stays under
  // that name, but the read is not claimed as saved.
  const bool named = syncFolderOf(target_);
  active_ = false;
  return named;
}

std::optional<StagedImage::Kept> StagedImage::abandon() {
  if (!active_) return std::nullopt;
  file_.close();
  active_ = false;
  if (targetLock_ != native::kNoFile) native::close(targetLock_, false);
  targetLock_ = native::kNoFile;

  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(native::fsPath(temp_), error);
  const long long bytes = error ? written_ : static_cast<long long>(size);
  if (bytes == 0) {
    std::filesystem::remove(native::fsPath(temp_), error);
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
      std::error_code error;
      std::filesystem::remove(native::fsPath(temp), error);
      return std::nullopt;
    }
    const std::string kept = moveToFreeName(temp, target + suffix);
    syncFolderOf(kept);
    return StagedImage::Kept{kept, static_cast<long long>(bytes.size())};
  }
  return std::nullopt;
}

}  // namespace tarvex
