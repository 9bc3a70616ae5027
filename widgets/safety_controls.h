#pragma once
// The row a tool window adds under its documented controls for the safety steps of its
// reads, erases and writes: "Verify after write" (where the program reads the chip back
// itself), "Backup before erase/write", "Read twice and compare", all checked, and a button
// that opens the backups folder in the desktop's file manager.

#include <QCheckBox>
#include <QPushButton>
#include <QWidget>
#include <string>

#include "widgets/folder_opener.h"
#include "safety/safety_net.h"

namespace tarvex {

// The folder button's caption in the windows that log in English.
inline constexpr const char* kBackupsFolderButton = "Backups folder";

class SafetyControls final : public QWidget {
  Q_OBJECT
 public:
  // Without `offerVerify` there is no verify box (the adapter verifies the tool's writes).
  // The folder button takes the caption in the window's own language.
  SafetyControls(bool offerVerify, std::string backupsFolder, FolderOpener openFolder,
                 QWidget* parent, const char* folderButtonCaption = kBackupsFolderButton);

  // The steps as the boxes stand now; --force has no box: the window asks instead.
  SafetyOptions options() const;

  QCheckBox* verifyBox() const { return verify_; }  // null without the verify box
  QCheckBox* backupBox() const { return backup_; }
  QCheckBox* readTwiceBox() const { return readTwice_; }
  // A read is taken twice and the two compared.
  bool readTwice() const { return readTwice_->isChecked(); }
  QPushButton* openFolderButton() const { return openFolder_; }

 private:
  QCheckBox* verify_ = nullptr;
  QCheckBox* backup_ = nullptr;
  QCheckBox* readTwice_ = nullptr;
  QPushButton* openFolder_ = nullptr;
  std::string backupsFolder_;
  FolderOpener opener_;
};

}  // namespace tarvex
