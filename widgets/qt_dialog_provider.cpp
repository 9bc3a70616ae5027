#include "widgets/qt_dialog_provider.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tarvex {

std::optional<std::string> QtDialogProvider::chooseFile(const FileDialogSpec& request,
                                                        QWidget* parent) {
  const bool save = request.kind == FileDialogSpec::Kind::kSave;
  QFileDialog dialog(parent, QString::fromStdString(request.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Save asks before overwriting (QFileDialog's default); open takes existing files only.
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QString::fromStdString(qtFilterFromPairs(request.filter)));
  if (!request.defaultExtension.empty()) {
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
  }
  if (!request.defaultName.empty()) dialog.selectFile(QString::fromStdString(request.defaultName));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return files.front().toStdString();
}

void QtDialogProvider::showError(const std::string& text, QWidget* parent) {
  QMessageBox::critical(parent, kApplicationTitle, QString::fromStdString(text), QMessageBox::Ok);
}

bool QtDialogProvider::askYesNo(const std::string& text, QWidget* parent) {
  return QMessageBox::question(parent, kApplicationTitle, QString::fromStdString(text),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

Answer QtDialogProvider::askYesNoOr(const std::string& text, const std::string& other,
                                    QWidget* parent) {
  QMessageBox box(QMessageBox::Question, kApplicationTitle, QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, parent);
  QPushButton* third = box.addButton(QString::fromStdString(other), QMessageBox::AcceptRole);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  box.exec();
  if (box.clickedButton() == third) return Answer::kOther;
  return box.clickedButton() == box.button(QMessageBox::Yes) ? Answer::kYes : Answer::kNo;
}

void QtDialogProvider::showMessage(const std::string& text, QWidget* parent) {
  QMessageBox::information(parent, kApplicationTitle, QString::fromStdString(text),
                           QMessageBox::Ok);
}

}  // namespace tarvex
