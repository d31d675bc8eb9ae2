#include "link/session_log.h"

#include "protocol/trace_lines.h"

namespace zhv {

void AppendHexBytes(std::string& line, std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (std::uint8_t b : bytes) {
    line += kDigits[b >> 4];
    line += kDigits[b & 0x0F];
    line += ' ';
  }
}

void SessionLogWriter::Note(const std::string& text) {
  if (log_.Enabled()) log_.Write(trace::kEvent + text);
}

void SessionLogWriter::Sent(std::span<const std::uint8_t> frame) {
  if (!log_.Enabled()) return;
  std::string line = trace::kSent;
  AppendHexBytes(line, frame);
  log_.Write(line);
}

void SessionLogWriter::FrameStarted() {
  if (log_.Enabled()) line_ = std::string(trace::kReceived) + "0D ";
}

void SessionLogWriter::ByteTaken(std::uint8_t byte) {
  if (log_.Enabled()) AppendHexBytes(line_, {&byte, 1});
}

void SessionLogWriter::FrameChecked(bool good) {
  if (!log_.Enabled()) return;
  if (!good) line_ += trace::kBadCheck;
  End();
}

void SessionLogWriter::TimedOut() {
  if (!log_.Enabled()) return;
  line_ += trace::kTimeOut;
  End();
}

void SessionLogWriter::FrameDropped() {
  if (!log_.Enabled()) return;
  line_ += "<: сброшен перед запросом";
  End();
}

void SessionLogWriter::PortClosed(const std::string& name) { Note("Закрыт порт " + name); }

void SessionLogWriter::End() {
  log_.Write(line_);
  line_.clear();
}

}  // namespace zhv
