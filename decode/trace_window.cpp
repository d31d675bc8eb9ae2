#include "decode/trace_window.h"

#include "link/session_log.h"
#include "protocol/trace_lines.h"

namespace zhv {

void TraceWindow::Bind() {
  f_.Button2.OnClick = [this] { Clear(); };
}

void TraceWindow::Clear() {
  f_.ListBox1.ClearItems();
  lineCount_ = 0;
}

void TraceWindow::AddLine() {
  if (++lineCount_ > kTraceMaxLines) {
    lineCount_ = kTraceMaxLines;
    f_.ListBox1.DeleteItem(0);
  }
  f_.ListBox1.AddItem(line_);
  f_.ListBox1.SetTopIndex(lineCount_ - 1);
}

void TraceWindow::Sent(std::span<const std::uint8_t> frame) {
  if (!On()) return;
  line_ = trace::kSent;
  AppendHexBytes(line_, frame);
  AddLine();
}

void TraceWindow::Read(std::size_t count, int receiverState) {
  f_.Edit1.SetText(std::to_string(count));
  f_.Edit2.SetText(std::to_string(receiverState));
}

void TraceWindow::FrameStarted() {
  if (On()) line_ = std::string(trace::kReceived) + "0D ";
}

void TraceWindow::ByteTaken(std::uint8_t byte) {
  if (On()) AppendHexBytes(line_, {&byte, 1});
}

void TraceWindow::FrameChecked(bool good) {
  if (!On()) return;
  if (!good) line_ += trace::kBadCheck;
  AddLine();
}

void TraceWindow::TimedOut() {
  if (!On()) return;
  line_ += trace::kTimeOut;
  AddLine();
}

}  // namespace zhv
