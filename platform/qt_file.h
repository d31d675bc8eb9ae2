// The export file over QFile, encoded to Windows-1251.
#pragma once

#include <sys/types.h>

#include <QFile>
#include <QStringEncoder>

#include "platform/platform.h"

namespace zhv {

class QtExportFile : public IExportFile {
 public:
  QtExportFile();
  bool Open(const std::string& name, bool append) override;
  bool IsOpen() const override { return file_.isOpen(); }
  bool Write(const std::string& text) override;
  bool Flush() override;
  std::int64_t Size() override;
  bool CutBack(std::int64_t size) override;
  bool Close() override;

 private:
  // False once the name no longer leads to the file we opened (removed or
  // replaced): what is written then would be lost with the file.
  bool StillNamed() const;

  QFile file_;
  QStringEncoder encoder_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

}  // namespace zhv
