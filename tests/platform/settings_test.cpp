// The settings store over QSettings: what one run saves the next reads, and a
// file that is missing, damaged or not the tool's gives nothing back, never a crash.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/qt_settings.h"

namespace zhv {
namespace {

TEST(SettingsStore, DamagedFilesGiveNothingAndAreReplacedOnSave) {
  const std::pair<const char*, QByteArray> files[] = {
      {"no file", QByteArray()},
      {"binary junk", QByteArray("\x00\x01\xff\xfe[[[\n=== \n\x80", 13)},
      {"unterminated section", "[readout\nfile=\"/home/a.csv\n"},
      {"not text", "[readout]\nfile=@ByteArray(\\xff)\ncount=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x18QMap)\n"},
      {"a list", "[readout]\nfile=a,b\n"},
  };
  for (const auto& [what, bytes] : files) {
    QTemporaryDir dir;
    const QString path = dir.filePath("BToolZHV22MT.ini");
    QFile file(path);
    if (!bytes.isNull()) { ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()); }
    file.close();
    QtSettings store(path);
    EXPECT_EQ(store.Value("readout/file"), std::nullopt) << what;
    EXPECT_EQ(store.Value("readout/count"), std::nullopt) << what;
    store.SetValue("readout/file", "/home/инженер/Записи, 1; 2.csv");
    EXPECT_TRUE(store.Save()) << what;
    QtSettings next(path);
    EXPECT_EQ(next.Value("readout/file"), "/home/инженер/Записи, 1; 2.csv") << what;
  }
}

TEST(SettingsStore, FileThatCannotBeWrittenFailsTheSave) {
  QTemporaryDir dir;
  QFile blocker(dir.filePath("plain-file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  QtSettings store(dir.filePath("plain-file/BToolZHV22MT.ini"));  // a folder that is a file
  store.SetValue("window/tab", "3");
  EXPECT_FALSE(store.Save());
}

}  // namespace
}  // namespace zhv
