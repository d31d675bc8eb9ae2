#include "ui/qt/Dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

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

bool QtDialogs::AskWithTicks(const std::string& question, std::vector<TickItem>& ticks, bool yesByDefault) {
  QDialog dialog(QApplication::activeWindow());
  dialog.setObjectName("TicksBox");
  dialog.setWindowTitle(QApplication::applicationName());
  auto* layout = new QVBoxLayout(&dialog);
  // A long list scrolls rather than running off the screen.
  auto* text = new QLabel(FromUtf8(question));
  text->setTextFormat(Qt::PlainText);
  text->setWordWrap(true);
  auto* scroll = new QScrollArea(&dialog);
  scroll->setWidget(text);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setMinimumWidth(std::min(640, text->sizeHint().width() + 24));
  scroll->setMinimumHeight(std::min(360, text->sizeHint().height() + 8));
  layout->addWidget(scroll, 1);
  std::vector<QCheckBox*> boxes;
  for (const TickItem& tick : ticks) {
    auto* box = new QCheckBox(FromUtf8(tick.text), &dialog);
    box->setChecked(tick.ticked);
    layout->addWidget(box);
    boxes.push_back(box);
  }
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* yes = buttons->addButton("Да", QDialogButtonBox::YesRole);
  QPushButton* no = buttons->addButton("Нет", QDialogButtonBox::NoRole);
  (yesByDefault ? yes : no)->setDefault(true);
  QObject::connect(yes, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(no, &QPushButton::clicked, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  for (std::size_t i = 0; i < ticks.size(); ++i) ticks[i].ticked = boxes[i]->isChecked();
  return accepted;
}

bool QtDialogs::ChooseFileToOpen(std::string& fileName, const std::string& filter) {
  return Choose(fileName, filter, QFileDialog::AcceptOpen);
}

bool QtDialogs::ChooseFileToSave(std::string& fileName, const std::string& filter) {
  return Choose(fileName, filter, QFileDialog::AcceptSave);
}

}  // namespace zhv
