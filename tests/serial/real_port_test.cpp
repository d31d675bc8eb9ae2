// The real Qt serial port against the simulated unit over a pseudo-terminal.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "app/tool.h"
#include "exchange/startup.h"
#include "platform/fakes.h"
#include "platform/qt_serial.h"
#include "platform/qt_services.h"
#include "serial/qt_app.h"

namespace zhv {
namespace {

using test::App;

struct RealPort : ::testing::Test {
  QProcess sim;
  std::string path;
  QtSerialPort port;
  QtMessagePump pump;
  fake::Services s;
  std::unique_ptr<Tool> tool;

  void SetUp() override {
    App();
    sim.start(ZHV_SIM_PATH, {"--type", "0x11", "--gas", "27"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return sim.canReadLine(); }, 5000)) << "no path from the simulated unit";
    path = sim.readLine().trimmed().toStdString();
    ASSERT_FALSE(path.empty());
    // The real port list and message pump behind the fakes' other services.
    s.ports.list = QtPortEnumerator({path}).PresentPorts();
    s.pump.onPump = [this] { pump.ProcessMessages(); };
    tool = std::make_unique<Tool>(s.platform(port));
    FormCreate(*tool);
    const auto& rows = tool->f.ListView1.Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().sub[0], path);
    EXPECT_EQ(rows.back().sub[1], "Доступен");
    tool->f.ListView1.SetSelected(static_cast<int>(rows.size()) - 1);
    tool->f.ListView1.DblClick();
    ASSERT_EQ(tool->r.portOpen, 1) << tool->f.Panel1.Text();
  }
  void TearDown() override {
    if (sim.state() != QProcess::NotRunning) {
      sim.terminate();
      sim.waitForFinished(3000);
    }
  }
  // Runs the event loop until the condition holds or the time is up.
  template <typename F>
  static bool WaitFor(F condition, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
      if (clock.elapsed() > ms) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
  }
};

// What the Qt view does with Timer1: tick while the model says it runs.
struct Ticker {
  QTimer timer;
  explicit Ticker(Tool& t) {
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&t] {
      if (t.f.Timer1.Enabled()) t.f.Timer1.OnTimer();
    });
    timer.start();
  }
};

TEST_F(RealPort, IdentifiesAndPollsTheSimulatedUnit) {
  Tool& t = *tool;
  Ticker ticker(t);

  ASSERT_TRUE(WaitFor([&] { return t.r.firstPass == 1; }, 10000)) << t.f.Panel2.Text();
  EXPECT_EQ(t.f.Panel2.Text(), "Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 11h)");
  EXPECT_EQ(t.f.Panel2.Colour(), clr::Lime);
  EXPECT_EQ(t.f.Timer1.Interval(), 10);
  EXPECT_TRUE(t.f.TabSheet3.Visible());
  EXPECT_TRUE(t.f.TabSheet6.Visible());
  const int counter = t.r.packetCounter;
  ASSERT_TRUE(WaitFor([&] { return t.r.packetCounter > counter + 1; }, 10000));
  EXPECT_EQ(t.f.ListBox1.Items().back().substr(0, 3), "<: ");

  // The orderly shut-down: USB control off, the closing wait, the port closed.
  FormClose(t);
  EXPECT_EQ(t.r.portOpen, 0);
  EXPECT_EQ(t.r.state, 33);
}

TEST_F(RealPort, UnplugEndsTheConnectionWithThePortError) {
  Tool& t = *tool;
  Ticker ticker(t);
  ASSERT_TRUE(WaitFor([&] { return t.r.pollPhase == 1; }, 10000));

  sim.kill();  // the master side of the pseudo-terminal goes away
  sim.waitForFinished(3000);
  ASSERT_TRUE(WaitFor([&] { return t.r.portOpen == 0; }, 10000));
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_EQ(t.f.Panel1.Text(), "Ошибка доступа к порт " + path);
  EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
  EXPECT_FALSE(t.f.TabSheet2.Visible());
  // The tool stays quiet afterwards: no error flood keeps it busy.
  const std::size_t lines = t.f.ListBox1.Items().size();
  WaitFor([] { return false; }, 300);
  EXPECT_EQ(t.f.ListBox1.Items().size(), lines);
}

}  // namespace
}  // namespace zhv
