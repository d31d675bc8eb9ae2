// BToolZHV22MT: the service and configuration tool for the ЖОВ-22 gas alarm unit.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <QWidget>
#include <cstdio>

#include "app/remembered.h"
#include "app/tool.h"
#include "platform/qt_file.h"
#include "platform/qt_serial.h"
#include "platform/qt_services.h"
#include "platform/qt_session_log.h"
#include "platform/qt_settings.h"
#include "platform/qt_text_files.h"
#include "platform/xlsx_workbook.h"
#include "ui/qt/CommandLine.h"
#include "ui/qt/Dialogs.h"
#include "ui/qt/FormView.h"
#include "ui/qt/SaveDialog.h"
#include "ui/qt/RecordsWindow.h"
#include "ui/qt/SettingsWindow.h"

namespace {

// "--port PATH": list PATH as a port and open it at once, as a double-click would.
void OpenCommandLinePort(zhv::Tool& tool, const std::string& path) {
  const auto& rows = tool.f.ListView1.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].sub[0] == path) {
      tool.f.ListView1.SetSelected(static_cast<int>(i));
      tool.f.ListView1.DblClick();
      return;
    }
  }
}

// The window where it stood last time, if that is still on a screen (a monitor
// may have gone since); otherwise where the view put it.
void PlaceWindow(QWidget& window, std::optional<zhv::WindowPlace> place) {
  if (!place) return;
  const QPoint at(place->x, place->y);
  // The title bar must be reachable: its left part on some screen.
  if (QGuiApplication::screenAt(at + QPoint(40, 10))) window.move(at);
}

int Fail(const QString& message) {
  std::fprintf(stderr, "BToolZHV22MT: %s\n", message.toLocal8Bit().constData());
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Before the application object, which needs a display: --help, --version and a
  // wrong option answer without one.
  QStringList rawArguments;
  for (int i = 0; i < argc; ++i) rawArguments << QString::fromLocal8Bit(argv[i]);
  const zhv::CommandLine options = zhv::ParseCommandLine(rawArguments);
  if (options.help || options.version) {
    const QString text = options.help ? zhv::HelpText() : zhv::VersionText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (!options.error.isEmpty()) return Fail(options.error + "\n" + zhv::HelpText().trimmed());
  zhv::QtSessionLog log;
  if (!options.traceFile.isEmpty()) {
    if (!log.Open(options.traceFile))
      return Fail(QString::fromUtf8("журнал сеанса ") + options.traceFile + ": " + log.Error());
    log.Write("== BToolZHV22MT " ZHV_VERSION ": начало сеанса");
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(zhv::kApplicationTitle));
  QApplication::setApplicationVersion(ZHV_VERSION);
  QApplication::setWindowIcon(QIcon(":/btoolzhv22mt.png"));
  // Every operator-facing text is Russian, Qt's own dialogs and buttons included,
  // whatever language the PC speaks.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Russian), "qtbase", "_",
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);
  const std::string port = options.port.toStdString();

  zhv::QtSerialPort serial;
  zhv::QtPortEnumerator ports(port.empty() ? std::vector<std::string>{}
                                           : std::vector<std::string>{port});
  zhv::QtLocale locale;
  zhv::QtClock clock;
  zhv::QtMessagePump pump;
  zhv::QtExportFile file;
  zhv::QtSaveDialog saveDialog;
  zhv::QtDialogs dialogs;
  zhv::QtTextFiles textFiles;
  zhv::QtSettingsWindow settingsWindow;
  zhv::XlsxWorkbookFiles workbooks;
  zhv::QtRecordsWindow recordsWindow;
  zhv::Tool tool(zhv::Platform{serial, ports, locale, clock, pump, file, saveDialog, log, dialogs, textFiles,
                               settingsWindow, workbooks, recordsWindow});
  zhv::QtSettings settings;
  zhv::Remembered remembered(tool, settings);

  zhv::FormView view(tool.f);
  settingsWindow.SetOwner(&view);
  recordsWindow.SetOwner(&view);
  // Told to end by a signal, the tool asks nobody: a read-out is stopped, then it closes.
  bool signalled = false;
  view.onClose = [&] {
    // Saved before the close turns to the first tab; saved again harmlessly if the operator keeps reading.
    remembered.NoteWindowPosition({view.x(), view.y()});
    if (!remembered.Save())
      std::fprintf(stderr, "BToolZHV22MT: настройки не сохранены в %s\n",
                   settings.FileName().toLocal8Bit().constData());
    return tool.FormClose(!signalled);
  };
  // The two helper forms exist as in the original design, but are never shown.
  QWidget form6;
  form6.setWindowTitle(tool.form6.caption);
  QWidget form2;
  form2.setWindowTitle(tool.form2.caption);

  tool.FormCreate();
  remembered.Restore();
  view.Flush();
  PlaceWindow(view, remembered.WindowPosition());
  view.show();
  if (!port.empty())
    OpenCommandLinePort(tool, port);
  else
    remembered.ReopenLastPort();

  zhv::OnTerminationSignal([&view, &signalled] {
    signalled = true;
    view.close();
  });
  return app.exec();
}
