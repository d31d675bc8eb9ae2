// The export file over QFile: the Windows-1251 bytes on disk, the open modes,
// and the failures a disk can produce.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/qt_file.h"

namespace zhv {
namespace {

struct ExportFile : ::testing::Test {
  QTemporaryDir dir;
  QtExportFile file;

  std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
  static QByteArray Read(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
  }
  static void Put(const std::string& path, const QByteArray& bytes) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
};

TEST_F(ExportFile, TextIsWrittenInWindows1251AsGiven) {
  const std::string path = Path("a.csv");
  ASSERT_TRUE(file.Open(path, false));
  EXPECT_TRUE(file.IsOpen());
  ASSERT_TRUE(file.Write("\u0421H4 термо ;об.%;мг/м3;NH3 1000 Э;-10 гр.C;АКБ:\r\n"));
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(Read(path), QByteArray("\xD1H4 \xF2\xE5\xF0\xEC\xEE ;\xEE\xE1.%;\xEC\xE3/\xEC" "3;NH3 1000 \xDD;-10 \xE3\xF0.C;\xC0\xCA\xC1:\r\n"))
      << "flushed, so on disk while the file is still open";
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(file.Close()) << "closing a closed file is no failure";
}

TEST_F(ExportFile, AppendCreatesOrExtendsOverwriteEmptiesOrCreates) {
  const std::string path = Path("b.csv");
  ASSERT_TRUE(file.Open(path, true));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Read(path), "") << "appending to a file not there creates it, empty";
  Put(path, "old\r\n");
  ASSERT_TRUE(file.Open(path, true));
  ASSERT_TRUE(file.Write("new\r\n") && file.Close());
  EXPECT_EQ(Read(path), "old\r\nnew\r\n");
  ASSERT_TRUE(file.Open(path, false));
  ASSERT_TRUE(file.Write("only\r\n") && file.Close());
  EXPECT_EQ(Read(path), "only\r\n");
}

TEST_F(ExportFile, NamesThatLeadToNoFileCannotBeOpened) {
  EXPECT_FALSE(file.Open("", false));
  EXPECT_FALSE(file.Open(dir.path().toStdString(), false));
  EXPECT_FALSE(file.Open(Path("no/such/dir.csv"), false));
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(ExportFile, FullDiskIsAFailedWrite) {
  ASSERT_TRUE(file.Open("/dev/full", false));
  EXPECT_FALSE(file.Write(std::string(100, 'x')) && file.Flush());
  file.Close();  // unbuffered: nothing is left over for the close to fail on
  EXPECT_FALSE(file.IsOpen());
}

// A write that failed part-way is cut back to the last whole line, and what it
// could not write does not turn up at the close.
TEST_F(ExportFile, CutBackLeavesTheFileAsItWasAtThatSize) {
  const std::string path = Path("f.csv");
  Put(path, "old\r\n");
  ASSERT_TRUE(file.Open(path, true));
  EXPECT_EQ(file.Size(), 5);
  ASSERT_TRUE(file.Write("whole\r\n") && file.Flush());
  ASSERT_TRUE(file.Write("frag"));
  EXPECT_EQ(file.Size(), 16);
  ASSERT_TRUE(file.CutBack(12));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(Read(path), "old\r\nwhole\r\n");
}

TEST_F(ExportFile, RemovedOrReplacedFileIsAFailedWrite) {
  const std::string path = Path("c.csv");
  ASSERT_TRUE(file.Open(path, false));
  ASSERT_TRUE(file.Write("1\r\n") && file.Flush());
  ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
  EXPECT_FALSE(file.Write("2\r\n") && file.Flush());
  EXPECT_FALSE(file.Close());

  ASSERT_TRUE(file.Open(path, false));
  ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
  Put(path, "someone else's\r\n");
  EXPECT_FALSE(file.Write("3\r\n") && file.Flush());
  file.Close();
  EXPECT_EQ(Read(path), "someone else's\r\n");
}

TEST_F(ExportFile, OpeningAnotherFileClosesTheFirstWithItsText) {
  ASSERT_TRUE(file.Open(Path("d.csv"), false));
  ASSERT_TRUE(file.Write("kept\r\n"));
  ASSERT_TRUE(file.Open(Path("e.csv"), false));
  EXPECT_EQ(Read(Path("d.csv")), "kept\r\n");
}

}  // namespace
}  // namespace zhv
