#pragma once
// An image file owned by one operation: created for a read from the chip (see
// staged_image.h for how a read's image reaches its name), opened (existing only) for a
// write to it, held exclusively while open. Every write and the close report failure (disk
// full, permissions, I/O errors), so a tool never says a file holds what it failed to store.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/native_files.h"

namespace tarvex {

class ImageFile {
 public:
  ImageFile() = default;
  ~ImageFile();
  ImageFile(ImageFile&& other) noexcept;
  ImageFile& operator=(ImageFile&& other) noexcept;
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  // Creates the file or empties an existing one, but only once it is held: a file another
  // operation holds is refused and left as it is.
  bool createAlways(const std::string& path);
  // Creates a file that does not exist yet; an existing name (a symbolic link included)
  // is refused.
  bool createNew(const std::string& path);
  bool openExisting(const std::string& path);
  bool isOpen() const { return file_ != native::kNoFile; }

  // All of count bytes, or false.
  bool write(const std::uint8_t* bytes, std::size_t count);
  // Up to count bytes; fewer only at the end of the file. -1 on a read error.
  long read(std::uint8_t* bytes, std::size_t count);
  // The file's size, or -1.
  long long size() const;
  // Flushes to the disk and closes. False if anything written may not have been stored.
  bool close();

 private:
  native::FileHandle file_ = native::kNoFile;
  bool writable_ = false;
};

}  // namespace tarvex
