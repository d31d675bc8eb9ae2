// The tool's settings store over QSettings: one INI-style file per user,
// $XDG_CONFIG_HOME/BToolZHV22MT/BToolZHV22MT.ini (~/.config/... by default).
#pragma once

#include <QString>
#include <memory>

#include "platform/platform.h"

class QSettings;

namespace zhv {

class QtSettings : public ISettings {
 public:
  QtSettings();                             // the user's own store
  explicit QtSettings(const QString& file);  // a file of its own
  ~QtSettings() override;

  std::optional<std::string> Value(const std::string& key) override;
  void SetValue(const std::string& key, const std::string& value) override;
  bool Save() override;
  QString FileName() const;

 private:
  std::unique_ptr<QSettings> store_;
  bool damaged_;  // the file could not be read as written: nothing in it is trusted
};

}  // namespace zhv
