#include "widgets/folder_opener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <system_error>

namespace tarvex {

bool openInFileManager(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

}  // namespace tarvex
