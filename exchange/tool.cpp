#include "exchange/tool.h"

#include "commands/lock.h"
#include "exchange/startup.h"
#include "link/Vcom_io.h"

namespace zhv {

namespace {

// The window's events, bound to the operations they run.
void BindHandlers(Tool& t) {
  TForm1& f = t.f;
  f.Timer1.OnTimer = [&t] { Timer1Timer(t); };
  f.ListView1.OnDblClick = [&t] { ListView1DblClick(t); };
  f.Button1.OnClick = [&t] { Button1Click(t); };
  f.Button2.OnClick = [&t] { Button2Click(t); };
  f.CheckBox1.OnClick = [&t] { CheckBox1Click(t); };
  for (Control* b : {&f.Button101, &f.Button201, &f.Button301, &f.Button401, &f.Button501})
    b->OnClick = [&t] { Button101Click(t); };
  for (Control* b : {&f.Button102, &f.Button202, &f.Button302, &f.Button402, &f.Button502})
    b->OnClick = [&t] { Button102Click(t); };
  for (Control* b : {&f.Button103, &f.Button203, &f.Button303, &f.Button403, &f.Button503})
    b->OnClick = [&t] { Button103Click(t); };
  for (Control* b : {&f.Button104, &f.Button204, &f.Button304, &f.Button404, &f.Button504})
    b->OnClick = [&t] { Button104Click(t); };
}

}  // namespace

Tool::Tool(Platform platform) : p(platform) {
  BindHandlers(*this);
  // The device behind the port vanished: the same ending as a failed write.
  p.port.SetLostHandler([this] {
    if (r.portOpen == 1) DropConnection(*this);
  });
}

}  // namespace zhv
