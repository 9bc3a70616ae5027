// The full disk on Windows: always the image-file layer's seam, in a scratch folder.

#include <atomic>
#include <filesystem>
#include <system_error>

#include "base/native_files.h"
#include "frame/staged_image.h"
#include "tests/reliability/disk_full.h"

namespace tarvex::reliability {

void DiskFull::prepare() {}

const char* DiskFull::kind() { return "seam"; }

DiskFull::DiskFull(std::size_t room) {
  static std::atomic<int> made{0};
  const auto dir = std::filesystem::temp_directory_path() /
                   ("tarvex_full_" + std::to_string(native::processId()) + "_" +
                    std::to_string(made++));
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return;
  scratch_ = native::utf8Of(dir);
  path_ = scratch_ + "\\image.bin";
  setStorageFault(path_, {.writeRoom = static_cast<long long>(room)});
}

bool DiskFull::mountTmpfs(const char*, std::size_t) { return false; }

DiskFull::~DiskFull() {
  if (scratch_.empty()) return;
  clearStorageFault(path_);
  std::error_code ec;
  std::filesystem::remove_all(native::fsPath(scratch_), ec);
}

}  // namespace tarvex::reliability
