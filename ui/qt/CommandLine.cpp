#include "ui/qt/CommandLine.h"

namespace zhv {

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
    } else if (a == "--port" || a.startsWith("--port=")) {
      QString path;
      if (a != "--port") {
        path = a.mid(7);
      } else if (i + 1 < arguments.size()) {
        path = arguments[++i];
      }
      if (path.isEmpty()) {
        fail(QString::fromUtf8("не задан путь для параметра --port"));
      } else {
        out.port = path;
      }
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
      "  --port ПУТЬ     добавить порт ПУТЬ в список и сразу открыть его\n"
      "  -v, --version   показать версию программы\n"
      "  -h, --help      эта справка\n");
}

QString VersionText() { return QString::fromUtf8("BToolZHV22MT " ZHV_VERSION "\n"); }

}  // namespace zhv
