#pragma once
// What every tool window is handed at creation: the device bus its operations open the
// adapter on, the dialogs and message boxes, the way back to the main window, and where the
// two connection base files live, and the backups folder.

#include <functional>
#include <string>

#include "widgets/dialog_provider.h"
#include "widgets/folder_opener.h"
#include "safety/backup_store.h"
#include "link/ft_device.h"

namespace tarvex {

struct AppContext {
  FtBus& bus;
  DialogProvider& dialogs;
  std::function<void()> showMainWindow;
  std::string kb90BaseFilePath;
  std::string itePresetsFilePath;
  // Where erases and writes keep their backups.
  std::string backupsFolder = defaultBackupsFolder();
  // How the windows open the backups folder in the desktop's file manager.
  FolderOpener openFolder = openInFileManager;
};

}  // namespace tarvex
