// The session log of --trace-file: every frame sent and received, and every
// port opened, closed or lost, whatever the trace window shows.
#pragma once

#include <string>

#include "link/link.h"
#include "platform/platform.h"

namespace zhv {

class SessionLogWriter : public LinkObserver {
 public:
  explicit SessionLogWriter(ISessionLog& log) : log_(log) {}

  // A line that is not a frame: what the port list and the status panel say of the port.
  void Note(const std::string& text);

  void Sent(std::span<const std::uint8_t> frame) override;
  void Read(std::size_t, int) override {}
  void FrameStarted() override;
  void ByteTaken(std::uint8_t byte) override;
  void FrameChecked(bool good) override;
  void TimedOut() override;
  void FrameDropped() override;
  void PortClosed(const std::string& name) override;

 private:
  void End();

  ISessionLog& log_;
  std::string line_;  // the frame being received: a frame sent meanwhile keeps to its own line
};

// The frame's bytes as two upper-case hexadecimal digits and a blank each.
void AppendHexBytes(std::string& line, std::span<const std::uint8_t> bytes);

}  // namespace zhv
