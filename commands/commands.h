// The operator's commands, each subsystem bound to its own controls; and what
// the exchange tells them.
#pragma once

#include "commands/calibration.h"
#include "commands/clock.h"
#include "commands/editors.h"
#include "commands/lock.h"
#include "commands/unit_control.h"

namespace zhv {

class Commands : public CommandEvents {
 public:
  Commands(TForm1& f, Exchange& ex, DisplayState& display, ILocale& locale, IClock& pc, IDialogs& dialogs)
      : f_(f),
        lock(f, ex),
        unit(f, ex, lock),
        editors(f, ex, lock, display, locale, dialogs),
        calibration(f, ex, lock, display, dialogs),
        clock(f, ex, lock, pc) {}

  void Bind() {
    unit.Bind();
    editors.Bind();
    calibration.Bind();
    clock.Bind();
  }

  void SetControlButtons(bool enabled) override { lock.SetControlButtons(enabled); }
  void ApplyEditingLock() override { lock.Apply(); }
  void DividerSettled() override { f_.Button10242.SetEnabled(true); }

 private:
  TForm1& f_;

 public:
  EditingLock lock;
  UnitControl unit;
  Editors editors;
  Calibration calibration;
  Clock clock;
};

}  // namespace zhv
