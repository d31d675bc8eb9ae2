#include "platform/qt_file.h"

#include <sys/stat.h>

namespace zhv {

QtExportFile::QtExportFile() : encoder_("windows-1251") {
  // Builds of Qt without ICU do not know the code page: no file can be written then.
  if (!encoder_.isValid()) qWarning("Кодировка windows-1251 недоступна: файл выгрузки не будет открыт");
}

bool QtExportFile::Open(const std::string& name, bool append) {
  if (file_.isOpen()) Close();
  if (!encoder_.isValid() || name.empty()) return false;
  file_.setFileName(QString::fromStdString(name));
  // Appending to a file that is not there yet creates it. Unbuffered: what a
  // write could not put on disk is not kept to turn up later, after a cut back.
  const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered |
                                   (append ? QIODevice::Append : QIODevice::Truncate);
  if (!file_.open(mode)) return false;
  struct stat st {};
  if (::fstat(file_.handle(), &st) != 0) {
    file_.close();
    return false;
  }
  device_ = st.st_dev;
  inode_ = st.st_ino;
  return true;
}

bool QtExportFile::Write(const std::string& text) {
  if (!file_.isOpen()) return false;
  const QByteArray bytes = encoder_.encode(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  return file_.write(bytes) == bytes.size();
}

bool QtExportFile::Flush() { return file_.isOpen() && file_.flush() && StillNamed(); }

std::int64_t QtExportFile::Size() {
  struct stat st {};
  if (!file_.isOpen() || ::fstat(file_.handle(), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

bool QtExportFile::CutBack(std::int64_t size) {
  return file_.isOpen() && size >= 0 && file_.resize(size) && Size() == size;
}

bool QtExportFile::Close() {
  if (!file_.isOpen()) return true;
  const bool flushed = Flush();
  file_.close();
  return flushed && file_.error() == QFileDevice::NoError;
}

bool QtExportFile::StillNamed() const {
  struct stat st {};
  return ::stat(file_.fileName().toLocal8Bit().constData(), &st) == 0 && st.st_dev == device_ &&
         st.st_ino == inode_;
}

}  // namespace zhv
