#include "ui/qt/SaveDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace zhv {

namespace {

// Asks before a file name that does not exist yet is taken; "No" keeps the dialog open.
class CreatePromptDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

 protected:
  void accept() override {
    const QStringList files = selectedFiles();
    if (!files.isEmpty() && !QFileInfo::exists(files.first()) &&
        QMessageBox::question(this, windowTitle(),
                              files.first() + "\nЭтот файл не существует.\nСоздать его?") != QMessageBox::Yes)
      return;
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
