#include "frame/image_file.h"

#include <utility>

namespace tarvex {

ImageFile::~ImageFile() { close(); }

ImageFile::ImageFile(ImageFile&& other) noexcept
    : file_(std::exchange(other.file_, native::kNoFile)), writable_(other.writable_) {}

ImageFile& ImageFile::operator=(ImageFile&& other) noexcept {
  if (this != &other) {
    close();
    file_ = std::exchange(other.file_, native::kNoFile);
    writable_ = other.writable_;
  }
  return *this;
}

bool ImageFile::createAlways(const std::string& path) {
  close();
  file_ = native::openHeld(path, native::OpenMode::kCreateAlways);
  writable_ = true;
  return isOpen();
}

bool ImageFile::createNew(const std::string& path) {
  close();
  file_ = native::openHeld(path, native::OpenMode::kCreateNew);
  writable_ = true;
  return isOpen();
}

bool ImageFile::openExisting(const std::string& path) {
  close();
  file_ = native::openHeld(path, native::OpenMode::kReadExisting);
  writable_ = false;
  return isOpen();
}

bool ImageFile::write(const std::uint8_t* bytes, std::size_t count) {
  return isOpen() && native::writeAll(file_, bytes, count);
}

long ImageFile::read(std::uint8_t* bytes, std::size_t count) {
  return isOpen() ? native::readUpTo(file_, bytes, count) : -1;
}

long long ImageFile::size() const { return isOpen() ? native::sizeOf(file_) : -1; }

bool ImageFile::close() {
  if (!isOpen()) return true;
  return native::close(std::exchange(file_, native::kNoFile), writable_);
}

}  // namespace tarvex
