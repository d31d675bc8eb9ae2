// A simulated unit on the far end of a fresh pseudo-terminal, served from the
// test's own event loop, so a test can look into the unit while the real serial
// port talks to it.
#pragma once

#include <unistd.h>

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/tty.h"
#include "sim/unit.h"

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

}  // namespace zhv::test
