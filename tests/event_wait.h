// Running the Qt event loop until something the test waits for has happened.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

namespace zhv::test {

// Runs the event loop until the condition holds or the time is up.
template <typename F>
bool WaitFor(F condition, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

}  // namespace zhv::test
