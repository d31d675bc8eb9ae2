// The Qt port list keeps looking for adapters while the program runs.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "platform/qt_services.h"
#include "serial/qt_app.h"

namespace zhv {
namespace {

TEST(PortWatch, LooksAgainAndAgainWhileTheProgramRuns) {
  test::App();
  QtPortEnumerator ports({"/dev/pts/77"});
  int looks = 0;
  ports.Watch([&looks] { ++looks; });
  QElapsedTimer clock;
  clock.start();
  while (looks < 3 && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_GE(looks, 3);
  // A path from the command line is listed whether or not it is there.
  const std::vector<PortInfo> present = ports.PresentPorts();
  ASSERT_FALSE(present.empty());
  EXPECT_EQ(present.back().friendlyName, std::string(kCommandLinePortDescription) + " (/dev/pts/77)");
}

}  // namespace
}  // namespace zhv
