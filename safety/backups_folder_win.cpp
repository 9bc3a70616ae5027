// Where backups are kept on Windows: the account's local application data, which stays on
// this machine (a roaming profile would carry megabytes of firmware around).

#include <windows.h>

#include "safety/backup_store.h"
#include "base/wide_path.h"

namespace tarvex {

std::string defaultBackupsFolder() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH + 1);
  // Unset, too long, or not absolute ("C:\..." or "\\server\..."): no folder.
  if (length == 0 || length > MAX_PATH) return {};
  const std::wstring root(folder, length);
  const bool absolute = (root.size() > 2 && root[1] == L':' && (root[2] == L'\\' || root[2] == L'/')) ||
                        root.starts_with(L"\\\\");
  if (!absolute) return {};
  const bool endsWithSeparator = root.back() == L'\\' || root.back() == L'/';
  return utf8Text(root) + (endsWithSeparator ? "" : "\\") + "Tarvex\\backups";
}

const char* backupsFolderRule() { return "%LOCALAPPDATA%\\Tarvex\\backups"; }

}  // namespace tarvex
