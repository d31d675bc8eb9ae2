// The port list and opening the chosen port.
#include <algorithm>

#include "app/tool.h"
#include "link/Vcom_io.h"

namespace zhv {

namespace {

const LineSettings kLinkSettings{250000, 8, Parity::None, StopBits::Two};

// Line settings first, then drop whatever queued up before we owned the port.
bool ConfigurePort(ISerialPort& port) {
  return port.SetLineSettings(kLinkSettings) && port.Purge();
}

// The "Доступ" column: a port another program holds is "Занят"; one this user
// may not open, or one that is not there, is told as such.
const char* Availability(OpenRefusal why) {
  switch (why) {
    case OpenRefusal::NoAccess: return "Нет прав";
    case OpenRefusal::Missing: return "Не найден";
    case OpenRefusal::Busy: break;
  }
  return "Занят";
}

// What follows "Не возможно открыть порт " and the name, with the remedy where there is one.
const char* RefusalReason(OpenRefusal why) {
  switch (why) {
    case OpenRefusal::NoAccess: return ": нет прав, добавьте себя в группу dialout";
    case OpenRefusal::Missing: return ": порт не найден";
    case OpenRefusal::Busy: break;
  }
  return "";
}

void FillPortList(Tool& t, std::vector<PortInfo> present) {
  ListViewControl& list = t.f.ListView1;
  list.ClearRows();
  for (const PortInfo& info : present) {
    const int row = list.AddRow(info.description);
    const std::string com = ComNameFromFriendlyName(info.friendlyName);
    list.SetSubItem(row, 0, com);
    if (com == "Unknown") continue;
    if (t.p.port.Open(com)) {
      t.p.port.Close();
      list.SetSubItem(row, 1, "Доступен");
    } else {
      list.SetSubItem(row, 1, Availability(t.p.port.LastRefusal()));
    }
  }
  t.r.listedPorts = std::move(present);
}

}  // namespace

std::string ComNameFromFriendlyName(const std::string& friendlyName) {
  if (friendlyName.empty() || friendlyName.back() != ')') return "Unknown";
  const std::size_t close = friendlyName.size() - 1;
  const std::size_t open = friendlyName.rfind('(', close == 0 ? 0 : close - 1);
  if (close == 0 || open == std::string::npos) return "Unknown";
  return friendlyName.substr(open + 1, close - open - 1);
}

void ListPorts(Tool& t) { FillPortList(t, t.p.ports.PresentPorts()); }

void BindPorts(Tool& t) {
  t.p.ports.Watch([&t] { WatchPorts(t); });
}

void WatchPorts(Tool& t) {
  ExchangeRecord& r = t.r;
  if (r.portOpen != 0) return;  // the list is left alone while a port is in use
  std::vector<PortInfo> present = t.p.ports.PresentPorts();
  if (present == r.listedPorts) return;
  // The engineer's choice survives the rebuild if its port is still there;
  // the rows stand in the order of the set they were built from.
  const int selected = t.f.ListView1.Selected();
  const bool wasChosen = selected >= 0 && static_cast<std::size_t>(selected) < r.listedPorts.size();
  const PortInfo chosen = wasChosen ? r.listedPorts[static_cast<std::size_t>(selected)] : PortInfo{};
  FillPortList(t, std::move(present));
  const auto again = std::find(r.listedPorts.begin(), r.listedPorts.end(), chosen);
  if (wasChosen && again != r.listedPorts.end())
    t.f.ListView1.SetSelected(static_cast<int>(again - r.listedPorts.begin()));
}

bool OpenPort(Tool& t) {
  ExchangeRecord& r = t.r;
  ListViewControl& list = t.f.ListView1;
  const int row = list.Selected();
  if (row < 0 || r.portOpen != 0) return false;

  r.portName = list.Rows()[static_cast<std::size_t>(row)].sub[0];
  if (!t.p.port.Open(r.portName)) {
    t.f.Panel1.SetColour(clr::Red);
    t.f.Panel1.SetText("Не возможно открыть порт " + r.portName + RefusalReason(t.p.port.LastRefusal()));
    LogEvent(t, t.f.Panel1.Text());
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
  LogEvent(t, t.f.Panel1.Text());
  // Bytes left over from an earlier connection belong to nobody now.
  r.readPos = r.bytesRead = 0;
  r.rxState = 0;
  r.frameReady = 0;
  r.interByteTimeout = 0;
  r.timeoutReload = kInterByteTimeoutTicks;
  return true;
}

}  // namespace zhv
