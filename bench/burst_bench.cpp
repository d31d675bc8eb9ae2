// A unit that floods the line with 100 kB of good status answers and then falls
// silent, over a pseudo-terminal: the real QtSerialPort and the core, ticked by
// a precise 10 ms QTimer as the window ticks it. The unit's end writes the burst
// as fast as the line takes it, from a thread of its own; the figures count
// from the moment its last byte was written.
//
//   burst_bench [TYPE]   TYPE: the unit's device type code (default 0x12)
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/tool.h"
#include "bench/drive.h"
#include "platform/fakes.h"
#include "platform/qt_serial.h"
#include "protocol/frame.h"
#include "sim/unit.h"

using namespace zhv;
using bench::WaitFor;
using SteadyClock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kBurstBytes = 100'000;

// The unit's end of the line: serves the unit until told to burst, then writes
// the burst and from then on only reads what the tool sends.
struct UnitEnd {
  int master;
  sim::Unit unit;
  std::atomic<bool> burst{false};
  std::atomic<bool> burstWritten{false};
  std::atomic<bool> stop{false};
  SteadyClock::time_point lastByteWritten{};

  void Drain() {
    std::uint8_t in[512];
    for (ssize_t n; (n = read(master, in, sizeof in)) > 0;)
      if (!burst) unit.Feed(in, static_cast<std::size_t>(n));
  }
  void Run(std::uint8_t type) {
    auto last = SteadyClock::now();
    while (!stop && !burst) {
      pollfd p{master, POLLIN, 0};
      poll(&p, 1, 1);
      Drain();
      const auto now = SteadyClock::now();
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count();
      if (ms > 0) unit.Step(static_cast<std::uint32_t>(ms)), last += std::chrono::milliseconds(ms);
      const auto out = unit.TakeOutput();
      if (!out.empty() && write(master, out.data(), out.size()) < 0) return;
    }
    std::vector<std::uint8_t> status(cat::kStatusAnswerLen);
    status[0] = 0x02;  // warmed up, working
    const std::vector<std::uint8_t> frame = EncodeFrame(type, cat::kReadStatus, status);
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < kBurstBytes) bytes.insert(bytes.end(), frame.begin(), frame.end());
    for (std::size_t sent = 0; sent < bytes.size() && !stop;) {
      const ssize_t n = write(master, bytes.data() + sent, bytes.size() - sent);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
        lastByteWritten = SteadyClock::now();
        continue;
      }
      pollfd p{master, POLLIN | POLLOUT, 0};
      poll(&p, 1, 5);
      Drain();
    }
    burstWritten = true;
    while (!stop) {
      pollfd p{master, POLLIN, 0};
      poll(&p, 1, 5);
      Drain();
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const auto type = static_cast<std::uint8_t>(argc > 1 ? std::strtoul(argv[1], nullptr, 0) : cat::kTypeVoice);
  if (!cat::IsGasAlarmUnit(type)) {
    std::fprintf(stderr, "TYPE must be 0x10, 0x11 or 0x12\n");
    return 2;
  }

  int master = -1, slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return 1;
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

  sim::Options o;
  o.deviceType = type;
  o.gasKind = cat::kGasCH4;
  o.warmUpMs = 0;
  UnitEnd end{master, sim::Unit(o)};
  std::thread server([&] { end.Run(type); });

  fake::Services s;
  QtSerialPort port;
  s.ports.list = {{"bench", std::string("bench (") + name + ")"}};
  Tool t(s.platform(port));
  long ticks = 0;
  QTimer ticker;
  bench::OpenFirstPort(t, ticker, ticks);
  int status = 0;
  if (!WaitFor([&] { return t.exchange.poll.firstPass; }, 15000)) {
    std::fprintf(stderr, "the unit was not polled: %s\n", t.f.Panel2.Text().c_str());
    status = 1;
  } else {
    WaitFor([] { return false; }, 2000);
    end.burst = true;
    QElapsedTimer burstClock;
    burstClock.start();
    WaitFor([&] { return end.burstWritten.load(); }, 600000);
    const int counterAtEnd = t.exchange.poll.packetCounter;
    const auto noAnswer = [&] { return t.f.Panel101.Text().starts_with("Нет ответа от ТКЭ"); };
    const bool named = WaitFor(noAnswer, 120000);
    const double after = std::chrono::duration<double>(SteadyClock::now() - end.lastByteWritten).count();
    std::printf("device type 0x%02X: %zu bytes of status answers written in %.1f s; "
                "after the last byte, %d stale answers taken, «Нет ответа от ТКЭ» %s %.2f s after it (%s)\n",
                type, kBurstBytes, burstClock.elapsed() / 1000.0 - after, t.exchange.poll.packetCounter - counterAtEnd,
                named ? "shown" : "not shown within", after, t.f.Panel101.Text().c_str());
    status = named ? 0 : 1;
  }
  ticker.stop();
  end.stop = true;
  server.join();
  close(master);
  close(slave);
  return status;
}
