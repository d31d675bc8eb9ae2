#include "commands/lock.h"

#include "protocol/catalogue.h"
#include "protocol/gas_kinds.h"
#include "protocol/status_bits.h"
#include "ui/status_groups.h"

namespace zhv {

namespace {

enum class Op { Disable, ReadOnly, Hide };
// What a control needs of the unit to be unlocked.
enum class Needs { Nothing, TemperatureSensor, StorageUnit, VoiceUnit, EditableCleanAir };

struct Row {
  Control TForm1::*control;
  Op op;
  Needs needs = Needs::Nothing;
};

// The lock acts in this order.
constexpr Row kTable[] = {
    // Сенсор 1
    {&TForm1::Button121, Op::Disable}, {&TForm1::CheckBox1211, Op::Disable, Needs::EditableCleanAir},
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
    {&TForm1::CheckBox320, Op::Disable, Needs::TemperatureSensor},
    {&TForm1::Button321, Op::Disable, Needs::TemperatureSensor},
    {&TForm1::Button324, Op::Disable, Needs::TemperatureSensor}, {&TForm1::Button331, Op::Disable},
    {&TForm1::Button334, Op::Disable}, {&TForm1::Edit321, Op::ReadOnly, Needs::TemperatureSensor},
    {&TForm1::Edit3310, Op::ReadOnly}, {&TForm1::CheckBox350, Op::Disable, Needs::StorageUnit},
    {&TForm1::Button354, Op::Disable, Needs::StorageUnit}, {&TForm1::Button351, Op::Disable, Needs::StorageUnit},
    {&TForm1::Edit351, Op::ReadOnly, Needs::StorageUnit}, {&TForm1::CheckBox3501, Op::Disable, Needs::StorageUnit},
    {&TForm1::Label3502, Op::Disable, Needs::StorageUnit}, {&TForm1::CheckBox360, Op::Disable, Needs::VoiceUnit},
    {&TForm1::Button364, Op::Disable, Needs::VoiceUnit},
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
    // INIT: the unlock hides the pass phrase edit too
    {&TForm1::Button125, Op::Disable}, {&TForm1::Edit125, Op::Hide},
    {&TForm1::Button225, Op::Disable}, {&TForm1::Edit225, Op::Hide},
};

void Hide(Control& edit) {
  edit.SetEnabled(false);
  edit.SetVisible(false);
}

}  // namespace

void EditingLock::Lock() {
  locked_ = true;
  for (const Row& row : kTable) {
    Control& c = f_.*row.control;
    switch (row.op) {
      case Op::Disable: c.SetEnabled(false); break;
      case Op::ReadOnly: c.SetReadOnly(true); break;
      case Op::Hide: Hide(c); break;
    }
  }
}

void EditingLock::Unlock() {
  locked_ = false;
  const GasKind& kind = GasKindOf(ex_.poll.unit.gasKind);
  const std::uint8_t type = ex_.link.SendType();
  const auto has = [&](Needs needs) {
    switch (needs) {
      case Needs::TemperatureSensor: return kind.temperatureSensor;
      case Needs::StorageUnit: return type == cat::kTypeStorage;
      case Needs::VoiceUnit: return type == cat::kTypeVoice;
      case Needs::EditableCleanAir: return kind.cleanAirEditable;
      case Needs::Nothing: break;
    }
    return true;
  };
  for (const Row& row : kTable) {
    Control& c = f_.*row.control;
    if (row.op == Op::Hide) {
      Hide(c);
    } else if (has(row.needs)) {
      if (row.op == Op::Disable)
        c.SetEnabled(true);
      else
        c.SetReadOnly(false);
    }
  }
}

void EditingLock::Apply() {
  // A command waiting for its answer keeps the lock: a second one posted over it
  // would take its word slot, and the first would go out carrying the second's word.
  if ((ex_.poll.status0 & bits::kUsbControl) && !held_ && ex_.poll.pending == Pending::None)
    Unlock();
  else
    Lock();
}

void EditingLock::SetControlButtons(bool enabled) {
  for (const StatusGroup& g : kStatusGroups)
    for (auto button : {g.restart, g.usbOn, g.usbOff}) (f_.*button).SetEnabled(enabled);
}

bool RefusedDuringReadOut(Exchange& ex) {
  if (!ex.ReadOutRunning()) return false;
  ex.jobs.readOut.commandRefused = true;
  return true;
}

}  // namespace zhv
