// The command line: parsed before any window, answered without a display.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "ui/qt/CommandLine.h"

namespace zhv {
namespace {

CommandLine Parse(QStringList args) {
  args.prepend("BToolZHV22MT");
  return ParseCommandLine(args);
}

TEST(CommandLineTest, ReadsEachOptionAndNamesWhatItDoesNotKnow) {
  EXPECT_EQ(Parse({"--port", "/dev/ttyUSB0"}).port, "/dev/ttyUSB0");
  EXPECT_EQ(Parse({"--port=/dev/pts/3"}).port, "/dev/pts/3");
  EXPECT_TRUE(Parse({"-h"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
  EXPECT_TRUE(Parse({}).error.isEmpty());

  EXPECT_EQ(Parse({"--bogus"}).error, QString::fromUtf8("неизвестный параметр: --bogus"));
  EXPECT_FALSE(Parse({"--port"}).error.isEmpty()) << "a port option without its path";
  EXPECT_FALSE(Parse({"--port="}).error.isEmpty());
  // Help is answered even behind an option this program does not know (Qt's own, say).
  const CommandLine mixed = Parse({"-platform", "offscreen", "--help"});
  EXPECT_TRUE(mixed.help);
  EXPECT_FALSE(mixed.error.isEmpty());
}

// The real program on a machine without a display: no window system is touched.
struct Answer {
  int exitCode;
  QString out, err;
};

Answer RunWithoutDisplay(const QStringList& args) {
  QProcess tool;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  tool.setProcessEnvironment(env);
  tool.start(ZHV_TOOL_PATH, args);
  EXPECT_TRUE(tool.waitForFinished(10000));
  return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
          QString::fromUtf8(tool.readAllStandardOutput()), QString::fromUtf8(tool.readAllStandardError())};
}

TEST(CommandLineTest, HelpAndVersionAnswerWithoutADisplay) {
  const Answer version = RunWithoutDisplay({"--version"});
  EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
  EXPECT_EQ(version.out, "BToolZHV22MT " ZHV_VERSION "\n");

  const Answer help = RunWithoutDisplay({"--help"});
  EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
  EXPECT_EQ(help.out, HelpText());
  EXPECT_TRUE(help.out.contains("--port"));
  // One language: no Qt English headings.
  EXPECT_FALSE(help.out.contains("Usage")) << help.out.toStdString();
  EXPECT_FALSE(help.out.contains("Options")) << help.out.toStdString();
}

}  // namespace
}  // namespace zhv
