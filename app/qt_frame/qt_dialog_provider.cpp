#include "app/qt_frame/qt_dialog_provider.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tarvex {

std::optional<std::string> QtDialogProvider::chooseFile(const FileDialogSpec& spec,
                                                        QWidget* parent) {
  const bool save = spec.kind == FileDialogSpec::Kind::kSave;
  QFileDialog dialog(parent, QString::fromStdString(spec.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Save asks before overwriting (QFileDialog's default); open takes existing files only.
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QString::fromStdString(qtFilterFromPairs(spec.filter)));
  if (!spec.defaultExtension.empty()) {
    dialog.setDefaultSuffix(QString::fromStdString(spec.defaultExtension));
  }
  if (!spec.defaultName.empty()) dialog.selectFile(QString::fromStdString(spec.defaultName));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return files.front().toStdString();
}

void QtDialogProvider::showError(const std::string& text, QWidget* parent) {
  QMessageBox::critical(parent, kApplicationTitle, QString::fromStdString(text), QMessageBox::Ok);
}

void QtDialogProvider::showMessage(const std::string& text, QWidget* parent) {
  QMessageBox::information(parent, kApplicationTitle, QString::fromStdString(text),
                           QMessageBox::Ok);
}

}  // namespace tarvex
