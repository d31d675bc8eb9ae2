// What the window does for the benchmarks: the event loop run until something
// happens, and Timer1 driven by a precise QTimer at the model's interval.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "app/tool.h"

namespace zhv::bench {

// Runs the event loop until the condition holds or the time is up.
template <typename F>
bool WaitFor(F condition, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > ms) return false;
    // Sleeps until an event comes: Timer1's own ticks come every few milliseconds.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// Ticks the tool as the window does while Timer1 is enabled, following its interval;
// `ticks` counts the ticks run. Start `ticker` once the port is opened.
inline void DriveTimer1(Tool& t, QTimer& ticker, long& ticks) {
  ticker.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticker, &QTimer::timeout, [&t, &ticker, &ticks] {
    if (!t.f.Timer1.Enabled()) return;
    ++ticks;
    t.f.Timer1.OnTimer();
    if (ticker.interval() != t.f.Timer1.Interval()) ticker.setInterval(t.f.Timer1.Interval());
  });
}

// Starts the tool, opens the first port of its list as a double-click does, and
// drives Timer1 from then on.
inline void OpenFirstPort(Tool& t, QTimer& ticker, long& ticks) {
  DriveTimer1(t, ticker, ticks);
  t.FormCreate();
  t.f.ListView1.SetSelected(0);
  t.f.ListView1.DblClick();
  ticker.start(t.f.Timer1.Interval());
}

}  // namespace zhv::bench
