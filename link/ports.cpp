// The port list and opening the chosen port.
#include "app/tool.h"
#include "link/Vcom_io.h"

namespace zhv {

namespace {

const LineSettings kLinkSettings{250000, 8, Parity::None, StopBits::Two};

// Line settings first, then drop whatever queued up before we owned the port.
bool ConfigurePort(ISerialPort& port) {
  return port.SetLineSettings(kLinkSettings) && port.Purge();
}

}  // namespace

std::string ComNameFromFriendlyName(const std::string& friendlyName) {
  if (friendlyName.empty() || friendlyName.back() != ')') return "Unknown";
  const std::size_t close = friendlyName.size() - 1;
  const std::size_t open = friendlyName.rfind('(', close == 0 ? 0 : close - 1);
  if (close == 0 || open == std::string::npos) return "Unknown";
  return friendlyName.substr(open + 1, close - open - 1);
}

void ListPorts(Tool& t) {
  ListViewControl& list = t.f.ListView1;
  list.ClearRows();
  for (const PortInfo& info : t.p.ports.PresentPorts()) {
    const int row = list.AddRow(info.description);
    const std::string com = ComNameFromFriendlyName(info.friendlyName);
    list.SetSubItem(row, 0, com);
    if (com == "Unknown") continue;
    if (t.p.port.Open(com)) {
      t.p.port.Close();
      list.SetSubItem(row, 1, "Доступен");
    } else {
      list.SetSubItem(row, 1, "Занят");
    }
  }
}

bool OpenPort(Tool& t) {
  ExchangeRecord& r = t.r;
  ListViewControl& list = t.f.ListView1;
  const int row = list.Selected();
  if (row < 0 || r.portOpen != 0) return false;

  r.portName = list.Rows()[static_cast<std::size_t>(row)].sub[0];
  if (!t.p.port.Open(r.portName)) {
    t.f.Panel1.SetColour(clr::Red);
    t.f.Panel1.SetText("Не возможно открыть порт " + r.portName);
    return false;
  }
  t.f.Panel1.SetColour(clr::PortOpen);
  t.f.Panel1.SetText("Открыт порт " + r.portName);
  t.f.Panel2.SetColour(clr::BtnFace);
  t.f.Panel2.SetText("   Поиск прибора ...");

  if (!ConfigurePort(t.p.port)) {
    ShowPortError(t);
    t.p.port.Close();
    return false;
  }

  r.portOpen = 1;
  r.linkLost = 0;
  list.SetSubItem(row, 1, "Открыт");
  // Bytes left over from an earlier connection belong to nobody now.
  r.readPos = r.bytesRead = 0;
  r.rxState = 0;
  r.frameReady = 0;
  r.interByteTimeout = 0;
  r.timeoutReload = kInterByteTimeoutTicks;
  return true;
}

}  // namespace zhv
