#include "app/tool.h"

#include "commands/calibration.h"
#include "commands/clock.h"
#include "commands/editors.h"
#include "commands/lock.h"
#include "exchange/startup.h"
#include "link/Vcom_io.h"
#include "storage/readout.h"

namespace zhv {

Tool::Tool(Platform platform) : p(platform) {
  // Each subsystem binds the window events it handles.
  BindStartup(*this);
  BindTrace(*this);
  BindPorts(*this);
  BindStatusGroups(*this);
  BindEditors(*this);
  BindCalibration(*this);
  BindClock(*this);
  BindReadOut(*this);
  // The device behind the port vanished: the poll tick takes what it sent
  // before, then ends the connection as a failed write does.
  p.port.SetLostHandler([this] {
    if (r.portOpen == 1) r.linkLost = 1;
  });
}

}  // namespace zhv
