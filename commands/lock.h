// The editing lock: what an operator may change while no command is under way
// and the unit is under USB control; and the control buttons of the five status
// groups, which stay outside it.
#pragma once

#include "exchange/exchange.h"
#include "ui/window_model.h"

namespace zhv {

class EditingLock {
 public:
  EditingLock(TForm1& f, const Exchange& ex) : f_(f), ex_(ex) {}

  void Lock();
  // Reverses the lock for what the attached unit has; always ends a pass phrase entry.
  void Unlock();
  // Unlocked only while the unit reports USB control, no command is pending and
  // no job holds the lock.
  void Apply();
  // A job of several commands (a settings restore) keeps editing locked from its
  // first command to its end, whatever each command's finish decides.
  void Hold(bool held) { held_ = held; }
  bool Locked() const { return locked_; }
  // "ReStart ТКЭ", "Вкл." and "Выкл." of the five groups.
  void SetControlButtons(bool enabled);

 private:
  TForm1& f_;
  const Exchange& ex_;
  bool held_ = false;
  bool locked_ = true;  // as the window starts
};

// A read-out holds the exchange until it ends, and its end drops whatever was
// posted meanwhile: a command pressed then is not posted, and the storage tab
// says so (true).
bool RefusedDuringReadOut(Exchange& ex);

}  // namespace zhv
