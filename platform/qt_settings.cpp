#include "platform/qt_settings.h"

#include <QSettings>

namespace zhv {

QtSettings::QtSettings()
    : store_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "BToolZHV22MT",
                                         "BToolZHV22MT")),
      damaged_(store_->status() != QSettings::NoError) {}

QtSettings::QtSettings(const QString& file)
    : store_(std::make_unique<QSettings>(file, QSettings::IniFormat)),
      damaged_(store_->status() != QSettings::NoError) {}

QtSettings::~QtSettings() = default;

std::optional<std::string> QtSettings::Value(const std::string& key) {
  if (damaged_) return std::nullopt;
  const QVariant value = store_->value(QString::fromStdString(key));
  // The tool writes text only; anything else was not written by it.
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  return value.toString().toStdString();
}

void QtSettings::SetValue(const std::string& key, const std::string& value) {
  store_->setValue(QString::fromStdString(key), QString::fromStdString(value));
}

bool QtSettings::Save() {
  // A damaged file is replaced by what this run sets; only a refused write fails.
  store_->sync();
  return store_->status() != QSettings::AccessError;
}

QString QtSettings::FileName() const { return store_->fileName(); }

}  // namespace zhv
