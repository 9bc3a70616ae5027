#pragma once
// Reading a whole input file into memory, bounded, before anything depends on it: an image
// to program into a chip is checked complete before the chip is erased, and a list file at
// start-up cannot eat memory. Only regular files are taken; a folder, pipe or device is
// refused at once (opening a pipe would otherwise wait for a writer that never comes).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarvex {

enum class LoadStatus {
  kLoaded,
  kOpenFailed,      // missing, no permission, or held by another operation
  kNotRegularFile,  // a folder, pipe, device or socket
  kReadFailed,      // an error while reading
};

struct LoadedFile {
  LoadStatus status = LoadStatus::kOpenFailed;
  std::vector<std::uint8_t> bytes;  // at most the limit
  bool longer = false;              // the file holds more than the limit; the rest is unread
  bool loaded() const { return status == LoadStatus::kLoaded; }
};

// Reads at most `limit` bytes of the file (and one more, to tell whether it is longer),
// holding it exclusively while it reads.
LoadedFile loadFile(const std::string& path, std::size_t limit);

// Tests only: from now on every load fails with a read error once more than `bytes` bytes of
// its file have been read, as a failing disk would; nothing turns that off again.
void failLoadsAfterForTesting(std::optional<std::size_t> bytes);

// The most of a list file (the mainboard connection list, the presets) that is read. A
// real list never comes near it; a wrong file at the path must not eat memory.
inline constexpr std::size_t kListFileMaxBytes = 8 * 1024 * 1024;

// A list file's text, at most kListFileMaxBytes of it; `cut` when the file is longer.
struct ListFile {
  std::string text;
  bool cut = false;
};
// Nothing when the file cannot be opened or read, or is not a regular file.
std::optional<ListFile> loadListFile(const std::string& path);

// The log line for a path that is not a regular file.
inline constexpr const char* kNotRegularFileLine =
    "The chosen name is not a regular file (a folder, pipe or device); nothing is done.";

// An image held in memory, handed out block by block as it was read from the file.
class ImageSource {
 public:
  ImageSource() = default;
  explicit ImageSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  // Copies up to count bytes to out; fewer only at the end of the image.
  std::size_t take(std::uint8_t* out, std::size_t count);
  std::size_t size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

}  // namespace tarvex
