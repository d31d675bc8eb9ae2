// The buttons every status group carries: restart the unit, switch its USB
// control on or off (outside the editing lock, disabled while one runs), and
// reset the packet counter; and the one that gives up a command the unit does
// not confirm.
#pragma once

#include <cstdint>

#include "commands/lock.h"
#include "exchange/exchange.h"
#include "ui/window_model.h"

namespace zhv {

class UnitControl {
 public:
  UnitControl(TForm1& f, Exchange& ex, EditingLock& lock) : f_(f), ex_(ex), lock_(lock) {}

  // Binds the four buttons of all five groups.
  void Bind();

  void Restart();       // "ReStart ТКЭ"
  void SwitchUsbOn();   // "Вкл.": editing unlocks only under USB control
  void SwitchUsbOff();  // "Выкл."
  void ResetPacketCounter();  // "Сброс"
  // "Отменить команду", shown beside each tab's panel while the unit is silent on
  // a command: the command is dropped, editing comes back, and the panel says
  // that nothing was confirmed.
  void CancelCommand(Control& panel);

 private:
  void Post(std::uint8_t argument);

  TForm1& f_;
  Exchange& ex_;
  EditingLock& lock_;
};

}  // namespace zhv
