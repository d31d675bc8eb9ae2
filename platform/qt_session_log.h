// The session log of --trace-file over QFile: UTF-8 lines appended, each
// stamped with the local time to the millisecond and handed to the system at once.
#pragma once

#include <QFile>
#include <QString>

#include "platform/platform.h"

namespace zhv {

class QtSessionLog : public ISessionLog {
 public:
  // Opens the file for appending, creating it if need be; false with the
  // system's reason in Error().
  bool Open(const QString& path);
  QString Error() const { return file_.errorString(); }
  bool Enabled() const override { return file_.isOpen(); }
  void Write(const std::string& line) override;

 private:
  QFile file_;
  bool writeFailed_ = false;  // told once; the tool goes on without its log
};

}  // namespace zhv
