// The command line: its options, --help and --version without a display, and
// the session log of a real run.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

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
  const CommandLine both = Parse({"--trace-file", "/tmp/s.log", "--port", "/dev/ttyUSB0"});
  EXPECT_EQ(both.traceFile, "/tmp/s.log");
  EXPECT_EQ(both.port, "/dev/ttyUSB0");
  EXPECT_EQ(Parse({"--trace-file=a b.log"}).traceFile, "a b.log");
  EXPECT_EQ(Parse({"--trace-file"}).error, QString::fromUtf8("не задан путь для параметра --trace-file"));
  EXPECT_TRUE(Parse({"-h"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
  EXPECT_TRUE(Parse({}).error.isEmpty());

  EXPECT_EQ(Parse({"--bogus"}).error, QString::fromUtf8("неизвестный параметр: --bogus"));
  EXPECT_FALSE(Parse({"--port"}).error.isEmpty()) << "a port option without its path";
  EXPECT_FALSE(Parse({"--port="}).error.isEmpty());
  // Help is answered even behind an option this program does not know.
  const CommandLine mixed = Parse({"--bogus", "--help"});
  EXPECT_TRUE(mixed.help);
  EXPECT_FALSE(mixed.error.isEmpty());
  // Qt's own options pass, with their values, for the application object to take.
  const CommandLine qt = Parse({"-platform", "offscreen", "--style", "fusion", "-reverse", "-style=fusion", "--port", "p"});
  EXPECT_TRUE(qt.error.isEmpty()) << qt.error.toStdString();
  EXPECT_EQ(qt.port, "p");
  EXPECT_FALSE(Parse({"-platform"}).error.isEmpty()) << "Qt's option without its value";
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

// A wrong command line is told, with the help, and the status the man page gives.
TEST(CommandLineTest, WrongOptionsEndWithStatusTwoWithoutADisplay) {
  const std::pair<QStringList, const char*> cases[] = {
      {{"--bogus"}, "неизвестный параметр: --bogus"},
      {{"--port"}, "не задан путь для параметра --port"},
      {{"--port="}, "не задан путь для параметра --port"},
      {{"-platform", "offscreen", "--trace-file"}, "не задан путь для параметра --trace-file"},
      {{"--trace-file", "/no/such/dir/session.log"}, "журнал сеанса /no/such/dir/session.log: "},
  };
  for (const auto& [args, message] : cases) {
    const Answer answer = RunWithoutDisplay(args);
    EXPECT_EQ(answer.exitCode, 2) << args.join(' ').toStdString() << ": " << answer.err.toStdString();
    EXPECT_TRUE(answer.err.contains(QString::fromUtf8(message))) << answer.err.toStdString();
    EXPECT_TRUE(answer.out.isEmpty());
  }
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

// The real program with a session log, talking to a product played by the
// test over a pseudo-terminal, then ended as a desktop session would end it.
TEST(CommandLineTest, TraceFileHoldsTheWholeSession) {
  int master = -1;
  int slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  QTemporaryDir dir;
  const QString log = dir.filePath("session.log");
  QProcess tool;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  tool.setProcessEnvironment(env);
  tool.start(ZHV_TOOL_PATH, {"--port", name, "--trace-file", log});

  // The first probe arrives; an unserved product answers it and is left alone.
  QByteArray heard;
  QElapsedTimer clock;
  clock.start();
  pollfd p{master, POLLIN, 0};
  while (!heard.contains(QByteArray("\x0D\x00\x00\x00\x0D", 5)) && clock.elapsed() < 10000) {
    char buffer[64];
    if (poll(&p, 1, 100) > 0) {
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n > 0) heard.append(buffer, n);
    }
  }
  ASSERT_TRUE(write(master, "\x0D\x07\x00\x00\x0A", 5) == 5);
  const auto logText = [&log] {
    QFile file(log);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  };
  while (!logText().contains("<: 0D 07 00 00 0A ")) {
    ASSERT_LT(clock.elapsed(), 10000) << "the answer never reached the log";
    QThread::msleep(50);
  }
  tool.terminate();  // closes the window: the farewell, then the port
  ASSERT_TRUE(tool.waitForFinished(10000));
  EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  close(master);
  close(slave);

  QStringList lines;
  for (const QString& line : logText().split('\n', Qt::SkipEmptyParts))
    lines << line.mid(24);  // after the time stamp
  const QString port = QString::fromUtf8(name);
  EXPECT_EQ(lines, (QStringList{"== BToolZHV22MT " ZHV_VERSION ": начало сеанса", "== Открыт порт " + port,
                                ">: 0D 00 00 00 0D ", "<: 0D 07 00 00 0A ", ">: 0D 00 10 01 00 1C ",
                                "== Закрыт порт " + port}));
}

}  // namespace
}  // namespace zhv
