// zhv22-sim: a simulated gas alarm unit on a pseudo-terminal or a serial port,
// for trying the tool without hardware.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/cli.h"
#include "sim/replay.h"
#include "sim/pace.h"
#include "sim/tty.h"
#include "sim/unit.h"

namespace {

volatile sig_atomic_t g_stop = 0;

constexpr int kBitsPerByte8N2 = 11;  // start, eight data, two stop

void OnSignal(int) { g_stop = 1; }

void InstallSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no restart: poll must return so the loop sees the flag
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

zhv::LocalDateTime LocalNow() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool IsSymlink(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Replaces a stale link of an earlier run, never a regular file.
bool MakeLink(const std::string& target, const std::string& link) {
  if (IsSymlink(link)) unlink(link.c_str());
  return symlink(target.c_str(), link.c_str()) == 0;
}

// Fault lines from standard input, while it is open: each sets the unit's faults afresh.
class FaultLines {
 public:
  FaultLines(bool watch, zhv::sim::Unit* unit) : fd_(watch && unit ? STDIN_FILENO : -1), unit_(unit) {}
  int Fd() const { return fd_; }
  void Read() {
    zhv::sim::Unit& unit = *unit_;
    char buffer[256];
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n <= 0) {
      if (n == 0 || errno != EINTR) fd_ = -1;  // closed: serve on with the faults as they are
      return;
    }
    text_.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; (end = text_.find('\n')) != std::string::npos; text_.erase(0, end + 1)) {
      const std::string line = text_.substr(0, end);
      const std::string error = zhv::sim::ParseFaultLine(line, unit.faults());
      if (!error.empty()) std::fprintf(stderr, "zhv22-sim: %s\n", error.c_str());
      else if (line.find_first_not_of(" \t\r") == std::string::npos) std::fprintf(stderr, "zhv22-sim: неисправности сняты\n");
      else std::fprintf(stderr, "zhv22-sim: неисправности: %s\n", line.c_str());
    }
  }

 private:
  int fd_;
  zhv::sim::Unit* unit_;
  std::string text_;
};

// Serves the unit (or the replay) until a signal or until it hangs up (after
// what it had to send is written); false when a real device went away. `pace`:
// the answers are let out as a line at that pace delivers them, else all at once.
bool Serve(const zhv::sim::Endpoint& e, bool realDevice, zhv::sim::Responder& unit, FaultLines& faults,
           std::optional<zhv::sim::LinePace> pace, const std::function<std::string()>& hangUpNote) {
  constexpr std::size_t kOutputLimit = 65536;  // nobody reading: drop rather than grow
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto last = start;
  const auto sinceStartNs = [&start](Clock::time_point t) {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(t - start).count());
  };
  Clock::time_point hungUpAt{};
  std::vector<std::uint8_t> pending;
  std::uint8_t buffer[256];
  while (!g_stop) {
    // Bytes on their way across the line: look again when the next has crossed.
    const std::uint64_t untilNextNs = pace ? pace->UntilNextNs(sinceStartNs(Clock::now())) : 0;
    const bool due = !pending.empty() && untilNextNs == 0;
    const int waitMs =
        pending.empty() || due ? 5 : static_cast<int>(std::min<std::uint64_t>(5, (untilNextNs + 999'999) / 1'000'000));
    pollfd p[2] = {{e.fd, static_cast<short>(POLLIN | (due ? POLLOUT : 0)), 0}, {faults.Fd(), POLLIN, 0}};
    if (poll(p, faults.Fd() < 0 ? 1 : 2, waitMs) < 0 && errno != EINTR) return false;
    if (faults.Fd() >= 0 && (p[1].revents & (POLLIN | POLLHUP | POLLERR))) faults.Read();
    bool hungUp = false;
    for (;;) {
      const ssize_t n = read(e.fd, buffer, sizeof buffer);
      if (n > 0) {
        unit.Feed(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n == 0 || errno == EIO) hungUp = true;
      break;
    }
    if (hungUp && realDevice) return false;
    if (hungUp) poll(nullptr, 0, 5);  // the pty reports EIO without blocking: do not spin

    const auto now = Clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count();
    if (ms > 0) {
      unit.Step(static_cast<std::uint32_t>(ms));
      last += std::chrono::milliseconds(ms);
    }

    for (const std::string& note : unit.TakeNotes()) std::fprintf(stderr, "zhv22-sim: %s\n", note.c_str());
    const std::vector<std::uint8_t> out = unit.TakeOutput();
    pending.insert(pending.end(), out.begin(), out.end());
    const std::uint64_t nowNs = sinceStartNs(now);
    if (pace) pace->Queue(nowNs, out.size());
    const std::size_t ready = pace ? std::min(pending.size(), pace->Due(nowNs)) : pending.size();
    if (ready > 0) {
      const ssize_t n = write(e.fd, pending.data(), ready);
      if (n > 0) {
        pending.erase(pending.begin(), pending.begin() + n);
        if (pace) pace->Took(static_cast<std::size_t>(n));
      }
    }
    if (pending.size() > kOutputLimit) {
      if (pace) pace->Took(pending.size());
      pending.clear();
    }
    // Hanging up discards what the tool has not read yet: let it take the last
    // block first, as a real line would have delivered it (two seconds at most).
    if (unit.HungUp()) {
      if (hungUpAt == Clock::time_point{}) hungUpAt = now;
      const auto waited = now - hungUpAt;
      const bool taken = pending.empty() && UnreadByTool(e) == 0;
      if ((waited >= std::chrono::milliseconds(20) && taken) || waited >= std::chrono::seconds(2)) {
        std::fprintf(stderr, "zhv22-sim: %s\n", hangUpNote().c_str());
        return true;
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zhv::sim;
  ProgramOptions options;
  const std::string error = ParseArguments({argv + 1, argv + argc}, options);
  if (!error.empty()) {
    std::fprintf(stderr, "zhv22-sim: %s\n%s", error.c_str(), UsageText());
    return 2;
  }
  if (options.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  options.unit.clockStart = LocalNow();
  // The log is read whole before anything is served: a log that cannot be read is told at once.
  std::unique_ptr<Replay> replay;
  if (!options.replay.empty()) {
    std::ifstream in(options.replay, std::ios::binary);
    std::string text, error;
    if (in) text.assign(std::istreambuf_iterator<char>(in), {});
    if (!in.is_open()) error = std::string("не открыть: ") + std::strerror(errno);
    else if (in.bad()) error = "не прочитать";
    std::optional<std::vector<LogLine>> log;
    if (error.empty()) log = ParseSessionLog(text, error);
    if (!log) {
      std::fprintf(stderr, "zhv22-sim: журнал %s: %s\n", options.replay.c_str(), error.c_str());
      return 2;
    }
    replay = std::make_unique<Replay>(std::move(*log));
  }

  Endpoint endpoint;
  const std::string opened =
      options.device.empty() ? OpenPseudoTerminal(endpoint) : OpenSerialDevice(options.device, endpoint);
  if (!opened.empty()) {
    std::fprintf(stderr, "zhv22-sim: %s\n", opened.c_str());
    return 1;
  }
  if (!options.link.empty() && !MakeLink(endpoint.path, options.link)) {
    std::fprintf(stderr, "zhv22-sim: не удалось создать ссылку %s\n", options.link.c_str());
    CloseEndpoint(endpoint);
    return 1;
  }
  InstallSignals();
  std::printf("%s\n", endpoint.path.c_str());
  std::fflush(stdout);

  Unit unit(options.unit);
  FaultLines faults(options.faultsFromStdin, replay ? nullptr : &unit);
  Responder& served = replay ? static_cast<Responder&>(*replay) : unit;
  // A real port's UART sets the pace itself; a pseudo-terminal would pass bytes at memory
  // speed. A replay keeps the log's own timing, which already holds the line's.
  std::optional<LinePace> pace;
  if (options.device.empty() && options.lineBaud != 0 && !replay) pace.emplace(options.lineBaud, kBitsPerByte8N2);
  const bool ok = Serve(endpoint, !options.device.empty(), served, faults, pace, [&unit] {
    return "отключение после " + std::to_string(unit.BlocksServed()) + " блоков записей";
  });
  if (!ok) std::fprintf(stderr, "zhv22-sim: устройство %s недоступно\n", endpoint.path.c_str());
  if (!options.link.empty() && IsSymlink(options.link)) unlink(options.link.c_str());
  CloseEndpoint(endpoint);
  return ok ? 0 : 1;
}
