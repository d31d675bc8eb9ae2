#include "ui/qt/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace zhv {

namespace {

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

bool Choose(std::string& fileName, const std::string& filter, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(QApplication::activeWindow(), mode == QFileDialog::AcceptOpen ? "Открыть" : "Сохранить как");
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // Qt's own dialog: the same on every desktop, and under test.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setLabelText(QFileDialog::LookIn, "Папка:");
  dialog.setLabelText(QFileDialog::FileName, "Имя файла:");
  dialog.setLabelText(QFileDialog::FileType, "Тип файла:");
  dialog.setLabelText(QFileDialog::Accept, mode == QFileDialog::AcceptOpen ? "Открыть" : "Сохранить");
  dialog.setLabelText(QFileDialog::Reject, "Отмена");
  dialog.setNameFilter(FromUtf8(filter));
  if (!fileName.empty()) {
    const QFileInfo last(FromUtf8(fileName));
    dialog.setDirectory(last.absolutePath());
    dialog.selectFile(last.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath().toStdString();
  return true;
}

}  // namespace

bool QtDialogs::Ask(const std::string& question, bool yesByDefault) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), FromUtf8(question), QMessageBox::NoButton,
                  QApplication::activeWindow());
  box.setObjectName("QuestionBox");
  QPushButton* yes = box.addButton("Да", QMessageBox::YesRole);
  QPushButton* no = box.addButton("Нет", QMessageBox::NoRole);
  box.setDefaultButton(yesByDefault ? yes : no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

bool QtDialogs::ChooseFileToOpen(std::string& fileName, const std::string& filter) {
  return Choose(fileName, filter, QFileDialog::AcceptOpen);
}

bool QtDialogs::ChooseFileToSave(std::string& fileName, const std::string& filter) {
  return Choose(fileName, filter, QFileDialog::AcceptSave);
}

}  // namespace zhv
