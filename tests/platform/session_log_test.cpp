// The session log of --trace-file over QFile: stamped lines, appended across sessions.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "platform/qt_session_log.h"

namespace zhv {
namespace {

TEST(SessionLog, LinesAreStampedToTheMillisecondAndAppendedAcrossSessions) {
  QTemporaryDir dir;
  const QString path = dir.filePath("session.log");
  {
    QtSessionLog log;
    EXPECT_FALSE(log.Enabled()) << "no log until one is opened";
    ASSERT_TRUE(log.Open(path));
    EXPECT_TRUE(log.Enabled());
    log.Write(">: 0D 00 00 00 0D ");
    log.Write("<: 0D 11 00 00 1C ");
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().count('\n'), 2) << "each line is on disk as soon as it is written";
  }
  {
    QtSessionLog log;
    ASSERT_TRUE(log.Open(path));
    log.Write("== Открыт порт /dev/ttyUSB0");
  }
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  ASSERT_EQ(lines.size(), 4);  // three lines and the end of the last
  const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(stamp.match(lines[i]).hasMatch()) << lines[i].toStdString();
  EXPECT_TRUE(lines[0].endsWith(">: 0D 00 00 00 0D "));
  EXPECT_TRUE(lines[2].endsWith("== Открыт порт /dev/ttyUSB0"));
  EXPECT_TRUE(lines[3].isEmpty());
}

TEST(SessionLog, AFileThatCannotBeOpenedIsReportedWithTheReason) {
  QTemporaryDir dir;
  QtSessionLog log;
  EXPECT_FALSE(log.Open(dir.filePath("no/such/dir/session.log")));
  EXPECT_FALSE(log.Enabled());
  EXPECT_FALSE(log.Error().isEmpty());
}

}  // namespace
}  // namespace zhv
