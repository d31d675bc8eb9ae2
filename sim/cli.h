// Command line of the zhv22-sim program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/unit.h"

namespace zhv::sim {

struct ProgramOptions {
  Options unit;
  std::string device;  // a real serial port to serve; empty: a new pseudo-terminal
  std::string link;    // also make this symlink to the served path
  std::string replay;  // a session log to serve instead of the simulated unit
  bool faultsFromStdin = false;  // each line of standard input sets the faults afresh
  // Answers go out on a pseudo-terminal no faster than a UART at this baud
  // sends them, 8N2; 0: at once, in one write. A real port is paced by its UART.
  std::uint32_t lineBaud = 250000;
  bool help = false;
};

// Fills out from the arguments (without the program name); returns an error
// text naming the offending argument, empty when all were understood.
std::string ParseArguments(const std::vector<std::string>& args, ProgramOptions& out);

// A line of fault options as on the command line (an empty line: none) into
// out, which then holds those faults and no others; returns an error text,
// empty on success, and leaves out alone on error.
std::string ParseFaultLine(const std::string& line, Faults& out);

const char* UsageText();

}  // namespace zhv::sim
