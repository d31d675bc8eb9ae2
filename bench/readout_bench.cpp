// Records per second of a full-buffer read-out from the zhv22-sim program over a
// pseudo-terminal, its answers paced as a 250000 baud 8N2 line sends them: the
// real core, QtSerialPort and export file, ticked by a precise 10 ms QTimer as
// the window ticks it. Each figure is set against two bounds: the tick
// schedule's (two ticks per addressed block of 16 records, four per sequential
// block) and the line's own (every byte of the block's requests and answers,
// one after the other, at 11 bits a byte).
//
//   readout_bench [BLOCK] [--instant]
//     BLOCK: records per sequential block of the unit (1..16, default 8)
//     --instant: the unit answers at once, as fast as the pseudo-terminal passes bytes
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/tool.h"
#include "bench/drive.h"
#include "platform/fakes.h"
#include "platform/qt_file.h"
#include "platform/qt_serial.h"

using namespace zhv;
using bench::WaitFor;

namespace {

constexpr double kTickSeconds = 0.010;
constexpr int kFullBuffer = 6656;
constexpr double kByteSeconds = 11.0 / 250000;  // start, eight data and two stop bits
// A frame's bytes: start, type, command, length, the data and the check byte.
constexpr int Frame(int data) { return 5 + data; }
// The wire of one block: addressed, 0x50 (5 data bytes), its count answer and the
// records; sequential, 0x40, its count, the records, 0x48 and its answer.
constexpr int AddressedBlockBytes(int records) { return Frame(5) + Frame(1) + Frame(5 + 15 * records); }
constexpr int SequentialBlockBytes(int records) { return Frame(0) + Frame(1) + Frame(5 + 15 * records) + 2 * Frame(0); }

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int block = 8;
  bool instant = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--instant") instant = true;
    else block = std::atoi(argv[i]);
  }
  if (block < 1 || block > 16) {
    std::fprintf(stderr, "BLOCK must be 1..16\n");
    return 2;
  }

  QProcess sim;
  QStringList options{"--records", QString::number(kFullBuffer), "--block", QString::number(block)};
  if (instant) options << "--instant";
  sim.start(ZHV_SIM_PATH, options);
  if (!sim.waitForStarted(5000) || !WaitFor([&] { return sim.canReadLine(); }, 5000)) {
    std::fprintf(stderr, "the simulated unit did not start\n");
    return 1;
  }
  const std::string path = sim.readLine().trimmed().toStdString();

  QTemporaryDir dir;
  fake::Services s;
  QtSerialPort port;
  QtExportFile file;
  s.ports.list = {{"bench", "bench (" + path + ")"}};
  s.saveDialog.answer = dir.filePath("buffer.csv").toStdString();
  Tool t(s.platform(port, file, s.saveDialog));

  // The port opened as a double-click does, Timer1 as the window drives it.
  long ticks = 0;
  QTimer ticker;
  bench::OpenFirstPort(t, ticker, ticks);
  if (!WaitFor([&] { return t.exchange.poll.firstPass && t.exchange.jobs.referenceYearKnown; }, 15000)) {
    std::fprintf(stderr, "no storage unit on %s: %s\n", path.c_str(), t.f.Panel2.Text().c_str());
    return 1;
  }
  t.f.Button102.Click();  // USB control: the read-out button is unlocked at the command finish
  if (!WaitFor([&] { return t.f.Button1030.Enabled() && t.exchange.poll.pending == Pending::None; }, 15000)) {
    std::fprintf(stderr, "USB control was not granted\n");
    return 1;
  }

  std::printf("full buffer of %d records from zhv22-sim over %s, sequential blocks of %d, %s\n", kFullBuffer,
              path.c_str(), block, instant ? "answered at once" : "at the pace of 250000 baud 8N2");
  auto run = [&](Control& mode, const char* name, int recordsPerBlock, int ticksPerBlock, int blockBytes) {
    t.f.RadioButton103112.SetChecked(true);
    t.f.Button10310.Click();
    mode.SetChecked(true);
    ticks = 0;
    const double cpuBefore = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    t.f.Button1030.Click();
    if (!WaitFor([&] { return t.exchange.poll.pending == Pending::None && !t.exchange.jobs.readOut.requested; },
                 300000)) {
      std::printf("  %s: did not end (%s)\n", name, t.f.Panel1030.Text().c_str());
      return;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double cpu = CpuSeconds() - cpuBefore;
    const std::int32_t written = t.readOut.exportFile.RecordsWritten();
    const double rate = written / seconds;
    const double tickBound = recordsPerBlock / (ticksPerBlock * kTickSeconds);
    const double lineBound = recordsPerBlock / (blockBytes * kByteSeconds);
    std::printf("  %-10s %d records in %.2f s, %ld ticks of %.2f ms: %.1f records/s = %.1f %% of the tick bound "
                "(%.0f records/s), %.1f %% of the line's (%.0f records/s); the tool's CPU %.1f %% of one core\n",
                name, written, seconds, ticks, 1000 * seconds / static_cast<double>(ticks), rate,
                100 * rate / tickBound, tickBound, 100 * rate / lineBound, lineBound, 100 * cpu / seconds);
  };
  t.f.Edit10320.SetText(QString::number(kFullBuffer).toStdString());
  t.f.Edit10330.SetText("8006000");
  // Addressed first: it frees nothing, so the sequential run finds it all.
  run(t.f.RadioButton10323, "addressed", 16, 2, AddressedBlockBytes(16));
  run(t.f.RadioButton10321, "sequential", block, 4, SequentialBlockBytes(block));

  ticker.stop();
  sim.terminate();
  sim.waitForFinished(3000);
}
