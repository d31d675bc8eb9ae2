// Whole text files over QFile and QSaveFile: a settings file is read at once
// and replaced only once it is written whole.
#pragma once

#include <QtGlobal>

#include "platform/platform.h"

namespace zhv {

class QtTextFiles : public ITextFiles {
 public:
  // Larger files are refused unread: the operator picked the wrong one.
  static constexpr qint64 kMaxBytes = 1 << 20;

  bool Load(const std::string& name, std::string& text, std::string& error) override;
  bool Save(const std::string& name, const std::string& text, std::string& error) override;
  // Export files are larger: a full buffer in the spreadsheet layout is about 0.8 MB per read-out.
  static constexpr qint64 kMaxExportBytes = 64 << 20;
  bool LoadWindows1251(const std::string& name, std::string& text, std::string& error) override;
};

}  // namespace zhv
