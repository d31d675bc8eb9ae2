// The tool on the real Qt serial port, talking to the zhv22-sim program over
// a pseudo-terminal; killing the program is an unplug.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <string>

#include "app/tool.h"
#include "event_wait.h"
#include "platform/fakes.h"
#include "platform/qt_file.h"
#include "platform/qt_serial.h"
#include "platform/qt_services.h"
#include "serial/qt_app.h"

namespace zhv::test {

// What the Qt view does with Timer1: tick while the model says it runs, and
// stop once it is switched off.
struct Ticker {
  QTimer timer;
  explicit Ticker(Tool& t) {
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [this, &t] {
      if (t.f.Timer1.Enabled()) t.f.Timer1.OnTimer();
      if (!t.f.Timer1.Enabled()) timer.stop();
    });
    timer.start();
  }
};

struct SimProgram : ::testing::Test {
  QProcess sim;
  std::string path;
  QtSerialPort port;
  QtExportFile file;
  QtMessagePump pump;
  fake::Services s;
  std::unique_ptr<Tool> tool;

  // Starts the program with these options and opens its port from the list.
  void Start(const QStringList& options) {
    App();
    sim.start(ZHV_SIM_PATH, options);
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return sim.canReadLine(); }, 5000)) << "no path from the simulated unit";
    path = sim.readLine().trimmed().toStdString();
    ASSERT_FALSE(path.empty());
    // The real port list, message pump and export file behind the fakes' other services.
    s.ports.list = QtPortEnumerator({path}).PresentPorts();
    s.pump.onPump = [this] { pump.ProcessMessages(); };
    tool = std::make_unique<Tool>(s.platform(port, file, s.saveDialog));
    tool->FormCreate();
    const auto& rows = tool->f.ListView1.Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().sub[0], path);
    EXPECT_EQ(rows.back().sub[1], "Доступен");
    tool->f.ListView1.SetSelected(static_cast<int>(rows.size()) - 1);
    tool->f.ListView1.DblClick();
    ASSERT_TRUE(tool->link.IsOpen()) << tool->f.Panel1.Text();
  }
  // Until the first poll of the identified unit is done.
  void WaitUntilPolled() {
    ASSERT_TRUE(WaitFor([&] { return tool->exchange.poll.firstPass; }, 10000)) << tool->f.Panel2.Text();
  }
  void TearDown() override {
    if (sim.state() != QProcess::NotRunning) {
      sim.terminate();
      sim.waitForFinished(3000);
    }
  }
};

}  // namespace zhv::test
