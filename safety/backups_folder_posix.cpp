// Where backups are kept on POSIX systems: the XDG data folder of the account.

#include <cstdlib>

#include "safety/backup_store.h"

namespace tarvex {

std::string defaultBackupsFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return std::string(data) + "/tarvex/backups";
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return {};
  return std::string(home) + "/.local/share/tarvex/backups";
}

const char* backupsFolderRule() {
  return "$XDG_DATA_HOME/tarvex/backups\n(~/.local/share/tarvex/backups by default)";
}

}  // namespace tarvex
