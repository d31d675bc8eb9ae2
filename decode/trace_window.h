// The trace window on the first tab: the last 32 frames sent and received as
// hexadecimal bytes, and beside it the count and receiver state of the last
// port read.
#pragma once

#include <string>

#include "link/link.h"
#include "ui/window_model.h"

namespace zhv {

inline constexpr int kTraceMaxLines = 32;

class TraceWindow : public LinkObserver {
 public:
  TraceWindow(TForm1& f, const Link& link) : f_(f), link_(link) {}

  // "Очистить окно отладки".
  void Bind();
  void Clear();

  void Sent(std::span<const std::uint8_t> frame) override;
  void Read(std::size_t count, int receiverState) override;
  void FrameStarted() override;
  void ByteTaken(std::uint8_t byte) override;
  void FrameChecked(bool good) override;
  void TimedOut() override;
  // The request that drops it takes its line over, as above.
  void FrameDropped() override {}
  void PortClosed(const std::string&) override {}

  int LineCount() const { return lineCount_; }

 private:
  bool On() const { return !link_.TraceOff(); }
  void AddLine();

  TForm1& f_;
  const Link& link_;
  // The line being built: a frame sent while one is received takes it over,
  // as the trace window always has.
  std::string line_;
  int lineCount_ = 0;
};

}  // namespace zhv
