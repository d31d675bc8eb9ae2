// The tool's command line, read before any window exists, so that --help, --version
// and a wrong option answer on a machine without a display. Qt's own options
// (-platform, -style ...) pass; the application object takes them later.
#pragma once

#include <QString>
#include <QStringList>

namespace zhv {

struct CommandLine {
  bool help = false;
  bool version = false;
  QString port;       // --port PATH: listed and opened at once
  QString traceFile;  // --trace-file PATH: every frame appended there, time-stamped
  QString error;  // a Russian message naming what was not understood; empty when all was
};

CommandLine ParseCommandLine(const QStringList& arguments);  // arguments[0] is the program
QString HelpText();
QString VersionText();

}  // namespace zhv
