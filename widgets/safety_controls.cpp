#include "widgets/safety_controls.h"

#include <QHBoxLayout>

namespace tarvex {
namespace {

constexpr const char* kVerifyBox = "Verify after write";
constexpr const char* kBackupBox = "Backup before erase/write";
constexpr const char* kReadTwiceBox = "Read twice and compare";

}  // namespace

SafetyControls::SafetyControls(bool offerVerify, std::string backupsFolder,
                               FolderOpener openFolder, QWidget* parent,
                               const char* folderButtonCaption)
    : QWidget(parent), backupsFolder_(std::move(backupsFolder)), opener_(std::move(openFolder)) {
  setObjectName("SafetyControls");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  if (offerVerify) {
    verify_ = new QCheckBox(QString::fromUtf8(kVerifyBox), this);
    verify_->setObjectName("VerifyAfterWrite");
    verify_->setChecked(true);
    row->addWidget(verify_);
  }
  backup_ = new QCheckBox(QString::fromUtf8(kBackupBox), this);
  backup_->setObjectName("BackupBeforeWrite");
  backup_->setChecked(true);
  row->addWidget(backup_);
  readTwice_ = new QCheckBox(QString::fromUtf8(kReadTwiceBox), this);
  readTwice_->setObjectName("ReadTwiceAndCompare");
  readTwice_->setChecked(true);
  row->addWidget(readTwice_);
  row->addStretch(1);
  openFolder_ = new QPushButton(QString::fromUtf8(folderButtonCaption), this);
  openFolder_->setObjectName("OpenBackupsFolder");
  openFolder_->setToolTip(QString::fromStdString(backupsFolder_));
  openFolder_->setEnabled(!backupsFolder_.empty() && opener_ != nullptr);
  row->addWidget(openFolder_);
  connect(openFolder_, &QPushButton::clicked, this, [this] { opener_(backupsFolder_); });
}

SafetyOptions SafetyControls::options() const {
  SafetyOptions options;
  options.verify = verify_ == nullptr || verify_->isChecked();
  options.backup = backup_->isChecked();
  options.backupsFolder = backupsFolder_;
  return options;
}

}  // namespace tarvex
