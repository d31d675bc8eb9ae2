// The trace window: the last 32 frames sent and received.
#include "app/tool.h"
#include "link/Vcom_io.h"

namespace zhv {

void AddTraceLine(Tool& t) {
  ExchangeRecord& r = t.r;
  if (++r.traceLineCount > kTraceMaxLines) {
    r.traceLineCount = kTraceMaxLines;
    t.f.ListBox1.DeleteItem(0);
  }
  t.f.ListBox1.AddItem(r.traceLine);
  t.f.ListBox1.SetTopIndex(r.traceLineCount - 1);
}

void SetTraceOff(Tool& t, int off) {
  if (off != 0) {
    t.r.traceOff |= 1;
  } else {
    t.r.traceOff &= static_cast<std::uint8_t>(~1u);
  }
}

void BindTrace(Tool& t) {
  t.f.Button2.OnClick = [&t] { Button2Click(t); };
}

void Button2Click(Tool& t) {
  t.f.ListBox1.ClearItems();
  t.r.traceLineCount = 0;
}

}  // namespace zhv
