#pragma once
// A place to save an image where the disk fills up part way. Where the process may mount
// file systems (as root), a tiny tmpfs of its own, pre-filled so that exactly `room` bytes
// still fit: the save then fails in the middle of the stream, as on a real full disk.
// Elsewhere a file of a scratch folder whose image-file layer is told to stop taking bytes
// after `room`.

#include <cstddef>
#include <string>

namespace tarvex::reliability {

class DiskFull {
 public:
  // Call once, before the process starts any thread: gives it a mount namespace of its own,
  // so the file systems it mounts are seen by nobody else and go away with it.
  static void prepare();
  // "tmpfs" or "seam": what a DiskFull made now would use.
  static const char* kind();

  explicit DiskFull(std::size_t room);
  ~DiskFull();
  DiskFull(const DiskFull&) = delete;
  DiskFull& operator=(const DiskFull&) = delete;

  // Where to save the image.
  const std::string& path() const { return path_; }
  bool onTmpfs() const { return !mountPoint_.empty(); }

 private:
  bool mountTmpfs(const char* dir, std::size_t room);

  std::string mountPoint_;
  std::string scratch_;  // the folder of the seam's file
  std::string path_;
};

}  // namespace tarvex::reliability
