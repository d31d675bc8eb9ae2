#include "ui/qt/CommandLine.h"

namespace zhv {

namespace {

// "--name PATH" or "--name=PATH": true when arguments[i] is the option, with
// `i` moved past its path; a missing path is an error.
template <typename Fail>
bool TakesPath(const QStringList& arguments, qsizetype& i, const QString& name, QString& path, Fail fail) {
  const QString& a = arguments[i];
  if (a == name) {
    path = i + 1 < arguments.size() ? arguments[++i] : QString();
  } else if (a.startsWith(name + '=')) {
    path = a.mid(name.size() + 1);
  } else {
    return false;
  }
  if (path.isEmpty()) fail(QString::fromUtf8("не задан путь для параметра ") + name);
  return true;
}

// Qt's own options, which the application object takes out of the command line
// later; the tool reads the command line before that, to answer without a display.
// One dash or two, as Qt takes them.
constexpr const char* kQtOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                               "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
                                               "display", "geometry", "style", "stylesheet"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
constexpr const char* kQtOptionsWithEquals[] = {"style", "stylesheet", "qmljsdebugger", "fontengine", "dialogs"};

// True when arguments[i] is one of Qt's options, with `i` moved past its value.
template <typename Fail>
bool IsQtOption(const QStringList& arguments, qsizetype& i, Fail fail) {
  QString a = arguments[i];
  if (a.startsWith("--")) a.remove(0, 1);
  if (!a.startsWith('-')) return false;
  const QString name = a.mid(1);
  for (const char* option : kQtOptionsWithValue) {
    if (name != QLatin1String(option)) continue;
    if (i + 1 < arguments.size())
      ++i;
    else
      fail(QString::fromUtf8("не задано значение для параметра ") + arguments[i]);
    return true;
  }
  for (const char* option : kQtFlags)
    if (name == QLatin1String(option)) return true;
  for (const char* option : kQtOptionsWithEquals)
    if (name.startsWith(QLatin1String(option) + '=')) return true;
  return false;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  CommandLine out;
  // The first error is kept, but the scan goes on: --help anywhere still answers.
  const auto fail = [&out](const QString& message) {
    if (out.error.isEmpty()) out.error = message;
  };
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == "--help" || a == "-h") {
      out.help = true;
    } else if (a == "--version" || a == "-v") {
      out.version = true;
    } else if (TakesPath(arguments, i, "--port", out.port, fail) ||
               TakesPath(arguments, i, "--trace-file", out.traceFile, fail)) {
      continue;
    } else if (IsQtOption(arguments, i, fail)) {
      continue;
    } else {
      fail(QString::fromUtf8("неизвестный параметр: ") + a);
    }
  }
  return out;
}

QString HelpText() {
  return QString::fromUtf8(
      "Использование: BToolZHV22MT [параметры]\n"
      "Настройка блока сигнализатора загазованности ЖОВ-22 по USB (последовательный порт).\n"
      "\n"
      "  --port ПУТЬ        добавить порт ПУТЬ в список и сразу открыть его\n"
      "  --trace-file ФАЙЛ  дописывать в ФАЙЛ каждый отправленный и принятый кадр\n"
      "                     с отметкой времени до миллисекунд\n"
      "  -v, --version      показать версию программы\n"
      "  -h, --help         эта справка\n");
}

QString VersionText() { return QString::fromUtf8("BToolZHV22MT " ZHV_VERSION "\n"); }

}  // namespace zhv
