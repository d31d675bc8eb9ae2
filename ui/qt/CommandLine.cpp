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
