#include "safety/backup_store.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/native_files.h"

namespace tarvex {
namespace {

// The most "-N" suffixes tried for one second's name before giving up.
constexpr int kMaxSuffix = 1000;

std::string stampOf(std::time_t when) {
  const std::tm local = native::localTime(when);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

std::string errnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

SavedBackup saveBackup(const std::string& folder, const std::string& tool,
                       std::span<const std::uint8_t> image, std::time_t when) {
  if (folder.empty()) return {{}, "no backups folder (HOME is not set)"};
  std::error_code ec;
  std::filesystem::create_directories(native::fsPath(folder), ec);
  if (ec) return {{}, "cannot create " + folder + ": " + ec.message()};

  const std::string base = folder + native::kSeparator + tool + "-" + stampOf(when);
  static std::atomic<unsigned> serial{0};
  const std::string temp = folder + native::kSeparator + "." + tool + "-" + std::to_string(native::processId()) + "-" +
                           std::to_string(serial++) + ".tmp";
  const native::FileHandle file = native::openHeld(temp, native::OpenMode::kCreateNewPrivate);
  if (file == native::kNoFile) return {{}, errnoText("cannot create a file in the backups folder")};
  bool written = native::writeAll(file, image.data(), image.size());
  const std::string writeError = written ? std::string() : errnoText("cannot write the backup");
  written = native::close(file, true) && written;
  if (!written) {
    std::filesystem::remove(native::fsPath(temp), ec);
    return {{}, writeError.empty() ? errnoText("cannot write the backup") : writeError};
  }

  for (int suffix = 1; suffix <= kMaxSuffix; ++suffix) {
    const std::string name = base + (suffix == 1 ? "" : "-" + std::to_string(suffix)) + ".bin";
    if (native::moveWithoutReplacing(temp, name)) {
      native::syncFolder(folder);
      return {name, {}};
    }
    if (errno != EEXIST) break;
  }
  const std::string error = errnoText("cannot name the backup");
  std::filesystem::remove(native::fsPath(temp), ec);
  return {{}, error};
}

}  // namespace tarvex
