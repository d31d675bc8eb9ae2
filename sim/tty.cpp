#include "sim/tty.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zhv::sim {

namespace {

constexpr int kLinkBaud = 250000;

std::string Failure(const std::string& what) { return what + ": " + std::strerror(errno); }

bool MakeRaw(int fd, bool twoStopBits) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  if (twoStopBits) t.c_cflag |= CSTOPB;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

bool MakeNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

std::string OpenPseudoTerminal(Endpoint& out) {
  int master = -1;
  int slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return Failure("openpty");
  out = {master, slave, name};
  if (!MakeRaw(slave, false) || !MakeNonBlocking(master)) {
    const std::string error = Failure("настройка псевдотерминала");
    CloseEndpoint(out);
    return error;
  }
  return {};
}

std::string OpenSerialDevice(const std::string& path, Endpoint& out) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return Failure(path);
  out = {fd, -1, path};
  if (!MakeRaw(fd, true) || !SetCustomBaud(fd, kLinkBaud)) {
    const std::string error = Failure(path + ": 250000 бод 8N2");
    CloseEndpoint(out);
    return error;
  }
  return {};
}

std::size_t UnreadByTool(const Endpoint& e) {
  int waiting = 0;
  // The pty's own slave shares its input queue with the tool's.
  if (e.keepOpenFd < 0 || ioctl(e.keepOpenFd, FIONREAD, &waiting) != 0 || waiting < 0) return 0;
  return static_cast<std::size_t>(waiting);
}

void CloseEndpoint(Endpoint& e) {
  if (e.fd >= 0) close(e.fd);
  if (e.keepOpenFd >= 0) close(e.keepOpenFd);
  e.fd = e.keepOpenFd = -1;
}

}  // namespace zhv::sim
