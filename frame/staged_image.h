#pragma once
// The file a read from a chip saves its image into, written so that the chosen name only
// ever holds a whole image. The bytes go into a new file of a unique name beside the
// target; only when the image is whole and flushed to the disk is that file renamed over
// the chosen name, and the folder flushed after it. Until then an existing file of that
// name is left untouched. An image that fails part way is not thrown away (it may be the
// only copy of a dying chip): it is kept as "<name>.partial", a name nobody takes for a
// good dump.
//
// An existing target must be a regular file that no other operation holds; it is held
// from begin() to the end, so two operations never work on one file. A directory, FIFO or
// device is refused before anything is created.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "frame/image_file.h"
#include "frame/image_sink.h"

namespace tarvex {

// Failures a test can make the staged image of one target meet, as a disk can.
struct StorageFault {
  long long writeRoom = -1;  // bytes that fit before writes fail as on a full disk; -1: all
  bool flushFails = false;   // flushing the finished image fails
  bool renameFails = false;  // putting the finished image under its name fails
};
// The fault applies to staged images begun for `target` from now on, in any thread.
void setStorageFault(const std::string& target, const StorageFault& fault);
void clearStorageFault(const std::string& target);

class StagedImage final : public ImageSink {
 public:
  // Where the bytes of an image that is not whole were kept.
  struct Kept {
    std::string path;
    long long bytes = 0;
  };

  StagedImage() = default;
  // An image still open is abandoned (and kept as for abandon()).
  ~StagedImage() override;
  StagedImage(const StagedImage&) = delete;
  StagedImage& operator=(const StagedImage&) = delete;

  // Refused (false) when the target is not a regular file, is held by another operation,
  // or its folder takes no new file. Nothing is changed then.
  bool begin(const std::string& target);
  bool isOpen() const { return active_; }
  // The name given to the last begin().
  const std::string& target() const { return target_; }
  // All of count bytes, or false.
  bool write(const std::uint8_t* bytes, std::size_t count) override;
  // Flushes the image and puts it under the target's name. On false nothing is under that
  // name that was not there before, and the image stays open for abandon().
  bool commit() override;
  // Ends an image that is not whole: its bytes kept beside the target as "<name>.partial"
  // (or "<name>.partial.2" and on, never replacing an earlier one), or nothing when no byte
  // was written.
  std::optional<Kept> abandon();

 private:
  bool active_ = false;
  std::string target_;
  std::string temp_;
  ImageFile file_;
  native::FileHandle targetLock_ = native::kNoFile;  // the existing target, held meanwhile
  long long written_ = 0;
  StorageFault fault_;
};

// Keeps `bytes` in a new file beside `target`, named "<target><suffix>" ("<suffix>.2" and
// on, never replacing a file already there), flushed to the disk: for reads that must not
// be lost but are no good dump. Nothing when no byte is given or it could not be kept.
std::optional<StagedImage::Kept> keepBeside(const std::string& target, const std::string& suffix,
                                            std::span<const std::uint8_t> bytes);

}  // namespace tarvex
