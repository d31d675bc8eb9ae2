// The editing lock: what an operator may change while no command is under way
// and the unit is under USB control.
#include "commands/lock.h"

#include <initializer_list>

#include "app/tool.h"
#include "decode/gas_kinds.h"
#include "exchange/catalogue.h"
#include "ui/status_groups.h"

namespace zhv {

namespace {

enum class Op { Disable, ReadOnly, DisableHide };

struct LockStep {
  Control TForm1::*control;
  Op op;
};

// In this order.
constexpr LockStep kLockTable[] = {
    // Сенсор 1
    {&TForm1::Button121, Op::Disable}, {&TForm1::CheckBox1211, Op::Disable},
    {&TForm1::Button1220, Op::Disable}, {&TForm1::Button1221, Op::Disable},
    {&TForm1::Button123, Op::Disable}, {&TForm1::Button124, Op::Disable},
    {&TForm1::Button140, Op::Disable}, {&TForm1::Edit1220, Op::ReadOnly},
    {&TForm1::Edit123, Op::ReadOnly}, {&TForm1::Edit142, Op::ReadOnly},
    // Сенсор 2
    {&TForm1::Button221, Op::Disable}, {&TForm1::Button2220, Op::Disable},
    {&TForm1::Button2221, Op::Disable}, {&TForm1::Button223, Op::Disable},
    {&TForm1::Button224, Op::Disable}, {&TForm1::Edit2220, Op::ReadOnly},
    {&TForm1::Edit223, Op::ReadOnly},
    // Разное
    {&TForm1::CheckBox320, Op::Disable}, {&TForm1::Button321, Op::Disable},
    {&TForm1::Button324, Op::Disable}, {&TForm1::Button331, Op::Disable},
    {&TForm1::Button334, Op::Disable}, {&TForm1::Edit321, Op::ReadOnly},
    {&TForm1::Edit3310, Op::ReadOnly}, {&TForm1::CheckBox350, Op::Disable},
    {&TForm1::Button354, Op::Disable}, {&TForm1::Button351, Op::Disable},
    {&TForm1::Edit351, Op::ReadOnly}, {&TForm1::CheckBox3501, Op::Disable},
    {&TForm1::Label3502, Op::Disable}, {&TForm1::CheckBox360, Op::Disable},
    {&TForm1::Button364, Op::Disable},
    // Модуль интерфейса
    {&TForm1::Button421, Op::Disable}, {&TForm1::Button422, Op::Disable},
    {&TForm1::Button423, Op::Disable}, {&TForm1::Button424, Op::Disable},
    {&TForm1::Edit421, Op::ReadOnly}, {&TForm1::Edit422, Op::ReadOnly},
    {&TForm1::Edit423, Op::ReadOnly},
    // Модуль накопления
    {&TForm1::Button524, Op::Disable}, {&TForm1::Button10210, Op::Disable},
    {&TForm1::CheckBox10210, Op::Disable}, {&TForm1::Edit10210, Op::ReadOnly},
    {&TForm1::Button10221, Op::Disable}, {&TForm1::Button10230, Op::Disable},
    {&TForm1::CheckBox10236, Op::Disable}, {&TForm1::CheckBox10235, Op::Disable},
    {&TForm1::Button1030, Op::Disable}, {&TForm1::Button10241, Op::Disable},
    {&TForm1::Edit1024, Op::ReadOnly},
    // INIT
    {&TForm1::Button125, Op::Disable}, {&TForm1::Edit125, Op::DisableHide},
    {&TForm1::Button225, Op::Disable}, {&TForm1::Edit225, Op::DisableHide},
};

void Enable(TForm1& f, std::initializer_list<Control TForm1::*> controls) {
  for (auto c : controls) (f.*c).SetEnabled(true);
}

void Writable(TForm1& f, std::initializer_list<Control TForm1::*> edits) {
  for (auto e : edits) (f.*e).SetReadOnly(false);
}

void HidePassPhrase(Control& edit) {
  edit.SetEnabled(false);
  edit.SetVisible(false);
}

}  // namespace

void LockEditing(Tool& t) {
  for (const LockStep& step : kLockTable) {
    Control& c = t.f.*step.control;
    switch (step.op) {
      case Op::Disable: c.SetEnabled(false); break;
      case Op::ReadOnly: c.SetReadOnly(true); break;
      case Op::DisableHide: HidePassPhrase(c); break;
    }
  }
}

void UnlockEditing(Tool& t) {
  TForm1& f = t.f;
  const ExchangeRecord& r = t.r;
  const GasKind& kind = GasKindOf(r.gasKind);
  // An unlock always ends a pass phrase entry.
  f.Button125.SetEnabled(true);
  HidePassPhrase(f.Edit125);
  f.Button225.SetEnabled(true);
  HidePassPhrase(f.Edit225);

  f.Button121.SetEnabled(true);
  if (kind.cleanAirEditable) f.CheckBox1211.SetEnabled(true);
  Enable(f, {&TForm1::Button1220, &TForm1::Button1221, &TForm1::Button123, &TForm1::Button124,
             &TForm1::Button140});
  Writable(f, {&TForm1::Edit1220, &TForm1::Edit123, &TForm1::Edit142});

  Enable(f, {&TForm1::Button221, &TForm1::Button2220, &TForm1::Button2221, &TForm1::Button223,
             &TForm1::Button224});
  Writable(f, {&TForm1::Edit2220, &TForm1::Edit223});

  if (kind.temperatureSensor) {
    Enable(f, {&TForm1::CheckBox320, &TForm1::Button321, &TForm1::Button324});
    Writable(f, {&TForm1::Edit321});
  }
  Enable(f, {&TForm1::Button331, &TForm1::Button334});
  Writable(f, {&TForm1::Edit3310});

  if (r.sendDeviceType == cat::kTypeVoice) Enable(f, {&TForm1::CheckBox360, &TForm1::Button364});
  if (r.sendDeviceType == cat::kTypeStorage) {
    Enable(f, {&TForm1::CheckBox350, &TForm1::Button354, &TForm1::Button351});
    Writable(f, {&TForm1::Edit351});
    Enable(f, {&TForm1::CheckBox3501, &TForm1::Label3502});
  }

  Enable(f, {&TForm1::Button421, &TForm1::Button422, &TForm1::Button423, &TForm1::Button424});
  Writable(f, {&TForm1::Edit421, &TForm1::Edit422, &TForm1::Edit423});

  Enable(f, {&TForm1::Button524, &TForm1::Button10210, &TForm1::CheckBox10210});
  Writable(f, {&TForm1::Edit10210});

  Enable(f, {&TForm1::Button10221, &TForm1::Button10230, &TForm1::CheckBox10236,
             &TForm1::CheckBox10235, &TForm1::Button1030, &TForm1::Button10241});
  Writable(f, {&TForm1::Edit1024});
}

void ApplyEditingLock(Tool& t) {
  if (t.r.status0 & 1) {
    UnlockEditing(t);
  } else {
    LockEditing(t);
  }
}

namespace {
void SetControlButtons(Tool& t, bool enabled) {
  for (const StatusGroup& g : kStatusGroups) {
    for (auto button : {g.restart, g.usbOn, g.usbOff}) (t.f.*button).SetEnabled(enabled);
  }
}

void PostUnitControl(Tool& t, std::uint8_t argument) {
  DisableControlButtons(t);
  t.r.pending = cat::kPendUnitControl;
  t.r.commandArg = argument;
}
}  // namespace

void DisableControlButtons(Tool& t) { SetControlButtons(t, false); }

void EnableControlButtons(Tool& t) { SetControlButtons(t, true); }

void BindStatusGroups(Tool& t) {
  for (const StatusGroup& g : kStatusGroups) {
    (t.f.*g.restart).OnClick = [&t] { Button101Click(t); };
    (t.f.*g.usbOn).OnClick = [&t] { Button102Click(t); };
    (t.f.*g.usbOff).OnClick = [&t] { Button103Click(t); };
    (t.f.*g.counterReset).OnClick = [&t] { Button104Click(t); };
  }
}

void Button101Click(Tool& t) { PostUnitControl(t, cat::kCtlRestart); }
void Button102Click(Tool& t) { PostUnitControl(t, cat::kCtlOn); }
void Button103Click(Tool& t) { PostUnitControl(t, cat::kCtlOff); }
void Button104Click(Tool& t) { ResetPacketCounter(t); }

void ResetPacketCounter(Tool& t) {
  t.r.packetCounter = 0;
  for (Control* e : EachGroup(t.f, &StatusGroup::counter)) e->SetText("00000");
}

}  // namespace zhv
