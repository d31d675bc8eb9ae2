#include "platform/qt_session_log.h"

#include <QDateTime>
#include <cstdio>

namespace zhv {

bool QtSessionLog::Open(const QString& path) {
  file_.setFileName(path);
  return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void QtSessionLog::Write(const std::string& line) {
  if (!file_.isOpen()) return;
  QByteArray text = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss.zzz ").toUtf8();
  text.append(line.data(), static_cast<qsizetype>(line.size()));
  text.append('\n');
  // Flushed line by line: a session that ends badly is the one worth reading.
  if (file_.write(text) == text.size() && file_.flush()) return;
  if (writeFailed_) return;
  writeFailed_ = true;
  std::fprintf(stderr, "BToolZHV22MT: журнал сеанса %s: %s\n", file_.fileName().toLocal8Bit().constData(),
               file_.errorString().toLocal8Bit().constData());
}

}  // namespace zhv
