// The tool as people run it: polling the simulated unit, then told to stop. In
// the sanitizer build a leak found at exit makes the exit status non-zero.
#include <gtest/gtest.h>

#include <QProcess>

namespace zhv {
namespace {

TEST(ToolProgram, PollsTheSimulatedUnitAndExitsCleanlyOnTermination) {
  QProcess sim;
  sim.start(ZHV_SIM_PATH, {});
  ASSERT_TRUE(sim.waitForReadyRead(5000));
  const QString path = QString::fromUtf8(sim.readLine()).trimmed();
  ASSERT_TRUE(path.startsWith("/dev/pts/")) << path.toStdString();

  QProcess tool;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  tool.setProcessEnvironment(env);
  tool.start(ZHV_TOOL_PATH, {"--port", path});
  ASSERT_TRUE(tool.waitForStarted(5000));
  EXPECT_FALSE(tool.waitForFinished(3000)) << "identifies and polls: " << tool.readAllStandardError().toStdString();
  tool.terminate();  // closes the window the orderly way: USB control off, two seconds, the port closed
  ASSERT_TRUE(tool.waitForFinished(15000));
  const QString err = QString::fromUtf8(tool.readAllStandardError());
  EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(tool.exitCode(), 0) << err.toStdString();
  EXPECT_FALSE(err.contains("Sanitizer")) << err.toStdString();

  sim.terminate();
  EXPECT_TRUE(sim.waitForFinished(5000));
  EXPECT_EQ(sim.exitCode(), 0);
}

}  // namespace
}  // namespace zhv
