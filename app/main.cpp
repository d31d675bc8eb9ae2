// BToolZHV22MT: the service and configuration tool for the ЖОВ-22 gas alarm unit.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>
#include <cstdio>

#include "app/tool.h"
#include "platform/qt_file.h"
#include "platform/qt_serial.h"
#include "platform/qt_services.h"
#include "platform/qt_session_log.h"
#include "ui/qt/CommandLine.h"
#include "ui/qt/Dialogs.h"
#include "ui/qt/FormView.h"
#include "ui/qt/SaveDialog.h"

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

}  // namespace

int main(int argc, char* argv[]) {
  // Before the application object: answering --help needs no display.
  QStringList rawArguments;
  for (int i = 0; i < argc; ++i) rawArguments << QString::fromLocal8Bit(argv[i]);
  const zhv::CommandLine early = zhv::ParseCommandLine(rawArguments);
  if (early.help || early.version) {
    const QString text = early.help ? zhv::HelpText() : zhv::VersionText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(zhv::kApplicationTitle));
  QApplication::setApplicationVersion(ZHV_VERSION);
  // Every operator-facing text is Russian, Qt's own dialogs and buttons included,
  // whatever language the PC speaks.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Russian), "qtbase", "_",
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);
  const zhv::CommandLine options = zhv::ParseCommandLine(QApplication::arguments());
  if (!options.error.isEmpty()) {
    std::fprintf(stderr, "BToolZHV22MT: %s\n%s", options.error.toLocal8Bit().constData(),
                 zhv::HelpText().toLocal8Bit().constData());
    return 2;
  }
  const std::string port = options.port.toStdString();
  zhv::QtSessionLog log;
  if (!options.traceFile.isEmpty()) {
    if (!log.Open(options.traceFile)) {
      std::fprintf(stderr, "BToolZHV22MT: журнал сеанса %s: %s\n", options.traceFile.toLocal8Bit().constData(),
                   log.Error().toLocal8Bit().constData());
      return 2;
    }
    log.Write("== BToolZHV22MT " ZHV_VERSION ": начало сеанса");
  }

  zhv::QtSerialPort serial;
  zhv::QtPortEnumerator ports(port.empty() ? std::vector<std::string>{}
                                           : std::vector<std::string>{port});
  zhv::QtLocale locale;
  zhv::QtClock clock;
  zhv::QtMessagePump pump;
  zhv::QtExportFile file;
  zhv::QtSaveDialog saveDialog;
  zhv::QtDialogs dialogs;
  zhv::Tool tool(zhv::Platform{serial, ports, locale, clock, pump, file, saveDialog, log, dialogs});

  zhv::FormView view(tool.f);
  // Told to end by a signal, the tool asks nobody: a read-out is stopped, then it closes.
  bool signalled = false;
  view.onClose = [&tool, &signalled] { return tool.FormClose(!signalled); };
  // The two helper forms exist as in the original design, but are never shown.
  QWidget form6;
  form6.setWindowTitle(tool.form6.caption);
  QWidget form2;
  form2.setWindowTitle(tool.form2.caption);

  tool.FormCreate();
  view.Flush();
  view.show();
  if (!port.empty()) OpenCommandLinePort(tool, port);

  zhv::OnTerminationSignal([&view, &signalled] {
    signalled = true;
    view.close();
  });
  return app.exec();
}
