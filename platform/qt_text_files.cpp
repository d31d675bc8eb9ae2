#include "platform/qt_text_files.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace zhv {

namespace {

QString Path(const std::string& name) { return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())); }

// The whole file, unless it is larger than `most` bytes (`tooLarge` says so).
bool ReadWhole(const std::string& name, qint64 most, const char* tooLarge, QByteArray& bytes, std::string& error) {
  QFile file(Path(name));
  if (!file.open(QIODevice::ReadOnly)) {
    error = file.errorString().toStdString();
    return false;
  }
  if (file.size() > most) {
    error = tooLarge;
    return false;
  }
  bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    error = file.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace

bool QtTextFiles::Load(const std::string& name, std::string& text, std::string& error) {
  QByteArray bytes;
  if (!ReadWhole(name, kMaxBytes, "файл больше 1 МБ", bytes, error)) return false;
  text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return true;
}

bool QtTextFiles::LoadWindows1251(const std::string& name, std::string& text, std::string& error) {
  QByteArray bytes;
  if (!ReadWhole(name, kMaxExportBytes, "файл больше 64 МБ", bytes, error)) return false;
  QStringDecoder decode("windows-1251");
  if (!decode.isValid()) {
    error = "нет кодировки Windows-1251";
    return false;
  }
  text = QString(decode(bytes)).toStdString();
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
