#pragma once
// Where a read from a chip puts the bytes it receives: the image file the user chose (a
// StagedImage), or memory, for a backup or a read-back check that needs no file dialog.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvex {

class ImageSink {
 public:
  virtual ~ImageSink() = default;
  // All of count bytes, or false.
  virtual bool write(const std::uint8_t* bytes, std::size_t count) = 0;
  // The image is whole; false when it could not be kept.
  virtual bool commit() = 0;
};

// A read into memory. The bytes belong to the worker while the read runs and to the
// user-interface thread once the worker has ended.
class MemoryImage final : public ImageSink {
 public:
  void clear() {
    bytes_.clear();
    whole_ = false;
  }
  bool write(const std::uint8_t* bytes, std::size_t count) override {
    bytes_.insert(bytes_.end(), bytes, bytes + count);
    return true;
  }
  bool commit() override {
    whole_ = true;
    return true;
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  bool whole() const { return whole_; }

 private:
  std::vector<std::uint8_t> bytes_;
  bool whole_ = false;
};

}  // namespace tarvex
