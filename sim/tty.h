// The terminal end the program serves: a fresh pseudo-terminal or a real
// serial port. POSIX only.
#pragma once

#include <cstddef>
#include <string>

namespace zhv::sim {

struct Endpoint {
  int fd = -1;          // what the unit reads from and writes to (non-blocking)
  int keepOpenFd = -1;  // the pty's own slave, held so the tool may close and reopen it
  std::string path;     // what the tool should open
};

// Each returns an error text, empty on success.
std::string OpenPseudoTerminal(Endpoint& out);
std::string OpenSerialDevice(const std::string& path, Endpoint& out);
void CloseEndpoint(Endpoint& e);

// Bytes sent that the tool has not read yet: known for a pseudo-terminal, 0 otherwise.
std::size_t UnreadByTool(const Endpoint& e);

// Sets a speed termios has no constant for (250000); in its own file because
// the kernel's termios2 header cannot meet <termios.h>.
bool SetCustomBaud(int fd, int baud);

}  // namespace zhv::sim
