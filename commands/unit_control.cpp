#include "commands/unit_control.h"

#include "protocol/catalogue.h"
#include "ui/status_groups.h"
#include "ui/tab_panels.h"

namespace zhv {

void UnitControl::Bind() {
  for (const StatusGroup& g : kStatusGroups) {
    (f_.*g.restart).OnClick = [this] { Restart(); };
    (f_.*g.usbOn).OnClick = [this] { SwitchUsbOn(); };
    (f_.*g.usbOff).OnClick = [this] { SwitchUsbOff(); };
    (f_.*g.counterReset).OnClick = [this] { ResetPacketCounter(); };
  }
  for (const TabPanel& row : kTabPanels) (f_.*row.cancel).OnClick = [this, &row] { CancelCommand(f_.*row.panel); };
}

void UnitControl::Post(std::uint8_t argument) {
  if (RefusedDuringReadOut(ex_)) return;
  lock_.SetControlButtons(false);
  ex_.poll.pending = Pending::UnitControl;
  ex_.poll.commandArg = argument;
}

void UnitControl::Restart() { Post(cat::kArgRestart); }
void UnitControl::SwitchUsbOn() { Post(cat::kArgUsbOn); }
void UnitControl::SwitchUsbOff() { Post(cat::kArgUsbOff); }

void UnitControl::ResetPacketCounter() {
  ex_.poll.packetCounter = 0;
  for (Control* e : EachGroup(f_, &StatusGroup::counter)) e->SetText("00000");
}

void UnitControl::CancelCommand(Control& panel) {
  ShowCancelButtons(f_, false);
  // The silence word goes on while the unit stays silent.
  if (ex_.CancelCommand()) Say(&panel, "Команда отменена: ТКЭ её не подтвердил", clr::Red);
}

}  // namespace zhv
