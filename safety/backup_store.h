#pragma once
// The backups folder: a copy of a chip's content is kept there before anything erases or
// overwrites it. Each copy is a new file, "<tool>-<YYYYMMDD-HHMMSS>.bin" ("-2", "-3" and on
// when that name is taken). It is written under a temporary name, flushed, and only then
// put under its own name without replacing anything: no backup is ever overwritten or
// deleted by the program.

#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>

namespace tarvex {

// "$XDG_DATA_HOME/tarvex/backups" (an absolute XDG_DATA_HOME only), else
// "$HOME/.local/share/tarvex/backups"; on Windows "%LOCALAPPDATA%\Tarvex\backups". Empty
// when none names a home. (backups_folder_posix.cpp, backups_folder_win.cpp)
std::string defaultBackupsFolder();
// The same rule in words, for help texts: "$XDG_DATA_HOME/tarvex/backups\n(~/.local/...)".
const char* backupsFolderRule();

struct SavedBackup {
  std::string path;  // empty when the backup could not be written
  std::string error;  // why, when it could not
  bool saved() const { return !path.empty(); }
};

// Writes the image as a new backup of `tool` taken at `when` (local time), creating the
// folder as needed.
SavedBackup saveBackup(const std::string& folder, const std::string& tool,
                       std::span<const std::uint8_t> image, std::time_t when = std::time(nullptr));

}  // namespace tarvex
