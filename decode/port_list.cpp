#include "decode/port_list.h"

#include <algorithm>

#include "link/ports.h"

namespace zhv {

namespace {

// The "Доступ" column: a port another program holds is "Занят"; one this user
// may not open, or one that is not there, is told as such.
const char* AvailabilityText(Availability a) {
  switch (a) {
    case Availability::Available: return "Доступен";
    case Availability::NoAccess: return "Нет прав";
    case Availability::Missing: return "Не найден";
    case Availability::Busy: return "Занят";
    case Availability::Unnamed: break;
  }
  return "";
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

}  // namespace

void PortList::Fill() { Fill(ports_.PresentPorts()); }

void PortList::Fill(std::vector<PortInfo> present) {
  ListViewControl& list = f_.ListView1;
  list.ClearRows();
  for (const PortRow& row : SurveyPorts(present, port_)) {
    const int at = list.AddRow(row.description);
    list.SetSubItem(at, 0, row.com);
    if (row.availability != Availability::Unnamed) list.SetSubItem(at, 1, AvailabilityText(row.availability));
  }
  listed_ = std::move(present);
}

void PortList::Follow(bool portOpen) {
  if (portOpen) return;  // the list is left alone while a port is in use
  std::vector<PortInfo> present = ports_.PresentPorts();
  if (present == listed_) return;
  // The engineer's choice survives the rebuild if its port is still there;
  // the rows stand in the order of the set they were built from.
  const int selected = f_.ListView1.Selected();
  const bool wasChosen = selected >= 0 && static_cast<std::size_t>(selected) < listed_.size();
  const PortInfo chosen = wasChosen ? listed_[static_cast<std::size_t>(selected)] : PortInfo{};
  Fill(std::move(present));
  const auto again = std::find(listed_.begin(), listed_.end(), chosen);
  if (wasChosen && again != listed_.end()) f_.ListView1.SetSelected(static_cast<int>(again - listed_.begin()));
}

std::string PortList::Selected() const {
  const int row = f_.ListView1.Selected();
  if (row < 0) return {};
  return f_.ListView1.Rows()[static_cast<std::size_t>(row)].sub[0];
}

int PortList::AvailableRow(const std::string& name) const {
  const auto& rows = f_.ListView1.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].sub[0] == name && rows[i].sub[1] == AvailabilityText(Availability::Available)) return static_cast<int>(i);
  return -1;
}

bool PortList::Select(const std::string& name) {
  const auto& rows = f_.ListView1.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].sub[0] != name) continue;
    f_.ListView1.SetSelected(static_cast<int>(i));
    return true;
  }
  return false;
}

std::string PortList::SerialNumberOf(const std::string& name) const {
  for (const PortInfo& info : listed_)
    if (ComNameFromFriendlyName(info.friendlyName) == name) return info.serialNumber;
  return {};
}

void PortList::ShowOpened(const std::string& name) {
  f_.Panel1.SetColour(clr::PortOpen);
  f_.Panel1.SetText("Открыт порт " + name);
  f_.Panel2.SetColour(clr::BtnFace);
  f_.Panel2.SetText("   Поиск прибора ...");
}

void PortList::MarkSelectedOpen() {
  f_.ListView1.SetSubItem(f_.ListView1.Selected(), 1, "Открыт");
  log_.Note(f_.Panel1.Text());
}

void PortList::ShowRefused(const std::string& name, OpenRefusal why) {
  f_.Panel1.SetColour(clr::Red);
  f_.Panel1.SetText("Не возможно открыть порт " + name + RefusalReason(why));
  log_.Note(f_.Panel1.Text());
}

void PortList::ShowNotConfigured(const std::string& name) {
  ShowOpened(name);
  ShowPortError(name);
}

void PortList::ShowPortError(const std::string& name) {
  f_.Panel1.SetColour(clr::Red);
  f_.Panel1.SetText("Ошибка доступа к порт " + name);
  log_.Note(f_.Panel1.Text());
}

void PortList::ShowUnplugged(const std::string& name) {
  f_.Panel1.SetColour(clr::Red);
  f_.Panel1.SetText("Прибор отключён: проверьте кабель USB");
  f_.Panel2.SetColour(clr::BtnFace);
  f_.Panel2.SetText("   Ожидание подключения к " + name + " (10 мин) ...");
  log_.Note(f_.Panel1.Text() + " (" + name + ")");
}

void PortList::ShowReplugOver() {
  f_.Panel2.SetText("   Ожидание окончено: выберите порт в списке");
  log_.Note("Ожидание подключения окончено");
}

void PortList::ShowNoAnswer() {
  f_.Panel2.SetColour(clr::Red);
  f_.Panel2.SetText("Прибор не отвечает: проверьте питание ТКЭ и кабель USB");
  log_.Note(f_.Panel2.Text());
}

}  // namespace zhv
