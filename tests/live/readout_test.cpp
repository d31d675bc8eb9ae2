// The real window reads a simulated unit's buffer over a pseudo-terminal through
// the real serial port, save dialog and export file; the files must hold, byte
// for byte, what the unit's records render to in Windows-1251.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>

#include "live/pty_unit.h"
#include "storage/records.h"

namespace zhv::test {
namespace {

// The operator in the save dialog: types the name, saves, and agrees to create the file.
class DialogOperator {
 public:
  explicit DialogOperator(QString name) : name_(std::move(name)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Act(); });
    timer_.start(20);
  }
  bool sawDialog = false, sawCreatePrompt = false;
  QString title;

 private:
  void Act() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      sawDialog = dialog->objectName() == "SaveDialog1030";
      title = dialog->windowTitle();
      const QFileInfo chosen(name_);
      dialog->setDirectory(chosen.absolutePath());
      // The dialog lists the folder in the background and then selects the file it was
      // opened with, replacing the name box: type only once the listing is complete.
      auto* model = dialog->findChild<QFileSystemModel*>();
      ASSERT_NE(model, nullptr);
      const QModelIndex folder = model->index(chosen.absolutePath());
      const int present = static_cast<int>(QDir(chosen.absolutePath()).entryList(QDir::Files).size());
      if (!folder.isValid() || model->canFetchMore(folder) || model->rowCount(folder) < present) return;
      auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(edit, nullptr);
      // The operator types into the name box with the focus in it: only then does the
      // dialog let go of the file it was opened with (selected in the list) for the name typed.
      if (!edit->hasFocus()) {
        QApplication::setActiveWindow(dialog);
        edit->setFocus(Qt::OtherFocusReason);
        return;
      }
      if (edit->text() != chosen.fileName()) {
        edit->setText(chosen.fileName());  // typed in; saved on a later look if it stays
        return;
      }
      // Saved only when the typed name is what would be saved.
      if (dialog->selectedFiles() != QStringList{chosen.absoluteFilePath()}) return;
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      for (QAbstractButton* b : box->buttons()) {
        if (b->text() != "Да") continue;
        sawCreatePrompt = true;
        b->click();
      }
    }
  }
  QString name_;
  QTimer timer_;
};

struct LiveReadOut : PtyToolTest {
  QTemporaryDir dir;

  void SetUp() override {
    sim::Options o;
    o.storage.records = 300;
    o.warmUpMs = 0;
    ASSERT_NO_FATAL_FAILURE(Connect(o));
    tool->f.PageControl1.SetActivePage(5);
  }
  void TearDown() override {
    if (view) view->close();  // the real close: USB control off, the closing wait, the port closed
  }

  // The operator's whole read-out: file chosen in the dialog, layout and mode, start, end.
  void ReadOut(const QString& path, const char* layout, const char* mode) {
    Widget<QRadioButton>("RadioButton103112")->click();  // "перезапись"
    Widget<QRadioButton>(layout)->click();
    {
      DialogOperator op(path);
      Widget<QPushButton>("Button10310")->click();  // returns when the dialog is done
      EXPECT_TRUE(op.sawDialog);
      EXPECT_EQ(op.title, "Сохранить как");
      EXPECT_TRUE(op.sawCreatePrompt);
    }
    view->Flush();
    EXPECT_EQ(tool->f.Edit10310.Text(), path.toStdString());
    Widget<QRadioButton>(mode)->click();
    Widget<QPushButton>("Button1030")->click();
    view->Flush();
    EXPECT_FALSE(Widget<QPushButton>("Button10310")->isEnabled());
    EXPECT_TRUE(WaitFor(
        [this] { return tool->exchange.poll.pending == Pending::None && !tool->exchange.jobs.readOut.requested; },
        60000))
        << tool->f.Panel1030.Text();
    view->Flush();
    EXPECT_TRUE(Widget<QPushButton>("Button10310")->isEnabled());
  }
  static QByteArray Expected(const std::vector<sim::RecordBytes>& records, Layout layout) {
    std::string text = layout == Layout::Spreadsheet ? SpreadsheetHeader() : "";
    for (const auto& r : records) AppendRecord(text, StorageRecord(r), 2020, layout);
    QStringEncoder windows1251("windows-1251");
    return windows1251.encode(QString::fromStdString(text));
  }
  static QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
};

TEST_F(LiveReadOut, WholeBufferIntoBothLayoutsByteForByte) {
  std::vector<sim::RecordBytes> records;
  for (std::size_t i = 0; i < unit->StoredRecords(); ++i) records.push_back(unit->Record(i));
  ASSERT_EQ(records.size(), 300u);

  // Addressed first: it frees nothing, so the sequential read-out after it finds everything.
  const QString readable = dir.filePath("buffer.txt");
  tool->f.Edit10320.SetText("300");
  tool->f.Edit10330.SetText("8006000");
  ReadOut(readable, "RadioButton103122", "RadioButton10323");
  EXPECT_EQ(Widget<QLabel>("Panel1030")->text().toStdString(), "Чтение завершено, записано записей: 300");
  EXPECT_TRUE(Contents(readable) == Expected(records, Layout::Readable));

  const QString sheet = dir.filePath("buffer.csv");
  ReadOut(sheet, "RadioButton103121", "RadioButton10321");
  EXPECT_EQ(Widget<QLabel>("Panel1030")->text().toStdString(), "Чтение завершено, записано записей: 300");
  const QByteArray written = Contents(sheet);
  const QByteArray expected = Expected(records, Layout::Spreadsheet);
  EXPECT_EQ(written.size(), expected.size());
  EXPECT_TRUE(written == expected);
  EXPECT_EQ(unit->StoredRecords(), 0u);

  EXPECT_FALSE(SaveShot(*view, "live_readout_storage.png").isEmpty());
}

}  // namespace
}  // namespace zhv::test
