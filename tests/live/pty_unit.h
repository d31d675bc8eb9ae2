// A simulated unit on the far end of a fresh pseudo-terminal, served from the
// test's own event loop, so a test can look into the unit while the real serial
// port talks to it; and the real window on the real Qt serial port connected to it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/tool.h"
#include "event_wait.h"
#include "platform/fakes.h"
#include "platform/qt_file.h"
#include "platform/qt_serial.h"
#include "sim/tty.h"
#include "sim/unit.h"
#include "ui/qt/FormView.h"
#include "ui/qt/SaveDialog.h"
#include "ui/view_fixture.h"

namespace zhv::test {

class PtyUnit {
 public:
  explicit PtyUnit(sim::Unit& unit) : unit_(unit) {
    error_ = sim::OpenPseudoTerminal(end_);
    if (!error_.empty()) return;
    notifier_ = std::make_unique<QSocketNotifier>(end_.fd, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Serve(); });
    // The unit's clock runs even when nothing arrives.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Serve(); });
    clock_.start();
    timer_.start(1);
  }
  ~PtyUnit() { sim::CloseEndpoint(end_); }
  PtyUnit(const PtyUnit&) = delete;
  PtyUnit& operator=(const PtyUnit&) = delete;

  const std::string& Error() const { return error_; }
  const std::string& Path() const { return end_.path; }

 private:
  void Serve() {
    std::uint8_t buffer[256];
    for (ssize_t n; (n = ::read(end_.fd, buffer, sizeof buffer)) > 0;)
      unit_.Feed(buffer, static_cast<std::size_t>(n));
    const qint64 now = clock_.elapsed();
    if (now > stepped_) {
      unit_.Step(static_cast<std::uint32_t>(now - stepped_));
      stepped_ = now;
    }
    const auto out = unit_.TakeOutput();
    output_.insert(output_.end(), out.begin(), out.end());
    if (output_.empty()) return;
    const ssize_t n = ::write(end_.fd, output_.data(), output_.size());
    if (n > 0) output_.erase(output_.begin(), output_.begin() + n);
  }

  sim::Unit& unit_;
  sim::Endpoint end_;
  std::string error_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 stepped_ = 0;
  std::vector<std::uint8_t> output_;
};

using Bytes = std::vector<std::uint8_t>;

inline Bytes DataOf(const Frame& f) { return Bytes(f.Data().begin(), f.Data().end()); }

// The tool in its window on the real serial port, with the real export file and
// save dialog; the other services are fakes. The Qt view ticks it.
class PtyToolTest : public ::testing::Test {
 protected:
  std::unique_ptr<sim::Unit> unit;
  std::unique_ptr<PtyUnit> pty;
  QtSerialPort port;
  QtExportFile file;
  QtSaveDialog dialog;
  fake::Services s;
  std::unique_ptr<Tool> tool;
  std::unique_ptr<FormView> view;

  // As the operator does it: the unit's port opened from the list, the first
  // poll awaited, then "Вкл." pressed once it shows enabled, until editing and
  // the storage buttons unlock.
  void Connect(const sim::Options& o) {
    App();
    unit = std::make_unique<sim::Unit>(o);
    pty = std::make_unique<PtyUnit>(*unit);
    ASSERT_EQ(pty->Error(), "");
    s.ports.list = {{"Псевдотерминал", "Псевдотерминал (" + pty->Path() + ")"}};
    s.pump.onPump = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); };
    tool = std::make_unique<Tool>(s.platform(port, file, dialog));
    view = std::make_unique<FormView>(tool->f);
    view->onClose = [this] { return tool->FormClose(); };
    tool->FormCreate();
    view->show();
    tool->f.ListView1.SetSelected(0);
    tool->f.ListView1.DblClick();
    ASSERT_TRUE(tool->link.IsOpen()) << tool->f.Panel1.Text();
    ASSERT_TRUE(Until([this] { return tool->exchange.poll.firstPass; })) << tool->f.Panel2.Text();
    ASSERT_TRUE(Until([this] { return Widget<QPushButton>("Button102")->isEnabled(); }));
    Widget<QPushButton>("Button102")->click();
    ASSERT_TRUE(Until([this] {
      return Widget<QPushButton>("Button123")->isEnabled() && Widget<QPushButton>("Button1030")->isEnabled();
    }));
  }

  // Runs the event loop (ticks, port, unit, view) until the condition holds,
  // then brings the view up to date.
  template <typename F>
  bool Until(F condition, int ms = 10000) {
    const bool met = WaitFor(condition, ms);
    view->Flush();
    return met;
  }
  template <class W>
  W* Widget(const char* name) {
    return Child<W>(*view, name);
  }
  // No command pending, the machine polling.
  bool Idle() const { return tool->exchange.poll.pending == Pending::None && tool->exchange.poll.state == State::Idle; }
};

}  // namespace zhv::test
