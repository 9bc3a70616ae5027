#pragma once
// Opening a folder in the desktop's file manager. Windows take the opener from their
// context, so tests put a recording one there and nothing is launched.

#include <functional>
#include <string>

namespace tarvex {

// Opens `folder`, creating it first when it does not exist yet; false when the desktop
// could not open it.
using FolderOpener = std::function<bool(const std::string& folder)>;

// The desktop's own: its file manager through the URL handler.
bool openInFileManager(const std::string& folder);

}  // namespace tarvex
