#include "platform/qt_text_files.h"

#include <QFile>
#include <QSaveFile>

namespace zhv {

namespace {

QString Path(const std::string& name) { return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())); }

}  // namespace

bool QtTextFiles::Load(const std::string& name, std::string& text, std::string& error) {
  QFile file(Path(name));
  if (!file.open(QIODevice::ReadOnly)) {
    error = file.errorString().toStdString();
    return false;
  }
  if (file.size() > kMaxBytes) {
    error = "файл больше 1 МБ";
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    error = file.errorString().toStdString();
    return false;
  }
  text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return true;
}

bool QtTextFiles::Save(const std::string& name, const std::string& text, std::string& error) {
  QSaveFile file(Path(name));
  if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) !=
                                              static_cast<qint64>(text.size()) ||
      !file.commit()) {
    error = file.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace zhv
