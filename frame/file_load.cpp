#include "frame/file_load.h"

#include <algorithm>
#include <atomic>

#include "base/native_files.h"

namespace tarvex {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr long long kNoReadFault = -1;
std::atomic<long long> readFaultAfter{kNoReadFault};

// Closes the file it was given when it goes.
class OpenFile {
 public:
  OpenFile() = default;
  ~OpenFile() {
    if (file_ != native::kNoFile) native::close(file_, false);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  native::FileHandle* out() { return &file_; }
  native::FileHandle get() const { return file_; }

 private:
  native::FileHandle file_ = native::kNoFile;
};

// Only a regular file, held so that a file another operation is writing is refused; a
// directory, FIFO or device is never opened.
LoadStatus openRegular(const std::string& path, OpenFile* file) {
  switch (native::openExistingRegular(path, file->out())) {
    case native::Existing::kOpened:
      return LoadStatus::kLoaded;
    case native::Existing::kNotRegularFile:
      return LoadStatus::kNotRegularFile;
    case native::Existing::kMissing:
    case native::Existing::kFailed:
      break;
  }
  return LoadStatus::kOpenFailed;
}

}  // namespace

LoadedFile loadFile(const std::string& path, std::size_t limit) {
  LoadedFile result;
  OpenFile file;
  result.status = openRegular(path, &file);
  if (result.status != LoadStatus::kLoaded) return result;

  // One byte past the limit tells a longer file; nothing beyond it is read.
  const std::size_t wanted = limit + 1;
  std::vector<std::uint8_t>& bytes = result.bytes;
  while (bytes.size() < wanted) {
    const std::size_t before = bytes.size();
    bytes.resize(before + std::min(kChunk, wanted - before));
    const long n = native::readUpTo(file.get(), bytes.data() + before, bytes.size() - before);
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
