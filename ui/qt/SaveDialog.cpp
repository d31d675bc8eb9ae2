#include "ui/qt/SaveDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace zhv {

namespace {

// Asks before a file name that does not exist yet is taken; "Нет" keeps the dialog open.
class CreatePromptDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

 private:
  bool AgreeToCreate(const QString& name) {
    QMessageBox box(QMessageBox::Question, windowTitle(), name + "\nЭтот файл не существует.\nСоздать его?",
                    QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton("Да", QMessageBox::YesRole);
    box.addButton("Нет", QMessageBox::NoRole);
    box.exec();
    return box.clickedButton() == yes;
  }

 protected:
  void accept() override {
    const QStringList files = selectedFiles();
    if (!files.isEmpty() && !QFileInfo::exists(files.first()) && !AgreeToCreate(files.first())) return;
    QFileDialog::accept();
  }
};

}  // namespace

bool QtSaveDialog::Execute(std::string& fileName) {
  CreatePromptDialog dialog(QApplication::activeWindow(), "Сохранить как");
  dialog.setObjectName("SaveDialog1030");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // No overwrite question: the open mode decides between appending and overwriting.
  // Qt's own dialog behaves the same on every desktop (and under test).
  dialog.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
  dialog.setSizeGripEnabled(true);
  // The window speaks Russian; Qt's own dialog texts would not without a translation installed.
  dialog.setLabelText(QFileDialog::LookIn, "Папка:");
  dialog.setLabelText(QFileDialog::FileName, "Имя файла:");
  dialog.setLabelText(QFileDialog::FileType, "Тип файла:");
  dialog.setLabelText(QFileDialog::Accept, "Сохранить");
  dialog.setLabelText(QFileDialog::Reject, "Отмена");
  dialog.setNameFilter("Все файлы (*)");  // every file shows; no extension is added
  if (!fileName.empty()) {
    // The directory first: a name whose file is not there yet is otherwise lost.
    const QFileInfo last(QString::fromStdString(fileName));
    dialog.setDirectory(last.absolutePath());
    dialog.selectFile(last.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath().toStdString();
  return true;
}

}  // namespace zhv
