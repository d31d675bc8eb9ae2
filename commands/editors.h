// The parameter editors: each turns an entry or a check box into one field of
// the parameter block and posts its write. The unit's answer is shown by the
// exchange's re-read.
#pragma once

#include <cstdint>
#include <string>

#include "commands/lock.h"
#include "decode/display.h"
#include "exchange/exchange.h"
#include "platform/platform.h"
#include "protocol/parameters.h"
#include "ui/window_model.h"

namespace zhv {

class Editors {
 public:
  Editors(TForm1& f, Exchange& ex, EditingLock& lock, DisplayState& display, ILocale& locale, IDialogs& dialogs)
      : f_(f), ex_(ex), lock_(lock), display_(display), locale_(locale), dialogs_(dialogs) {}

  // Binds every "Записать" and "Задать" button, Enter in their edits, and the
  // configuration check boxes.
  void Bind();

  // "Записать" (or "Задать") of a field: converts its edit, shows again what will
  // be (or stays) stored, and, for a number the field can hold, locks editing and
  // posts the write. A number it cannot hold is refused, saying the range on the
  // tab's panel; a threshold above its sensor's range is written only once the
  // operator confirms it.
  void Write(const param::Field& field);
  // A configuration check box: the whole word is posted with the flag changed.
  void SwitchFunction(const FlagBox& box);
  // "нет записи состояния": clears the period at once; "Записать" sends it.
  void StopRecording();
  // A field written as its editor would, with the value given rather than typed
  // (a settings restore): the whole word goes, its other bits as they stand.
  void WriteField(const param::Field& field, std::uint32_t value);

 private:
  Control& EditOf(const param::Field& field) { return *f_.Find(field.control); }
  void Post(const param::Field& field, Pending pending);
  // The text an edit shows for a stored value of a whole-word field.
  std::string Shown(const param::Field& field, std::int32_t value) const;
  // False when the operator would rather not write a threshold above the sensor's range.
  bool ThresholdConfirmed(const param::Field& field, std::int32_t value);

  TForm1& f_;
  Exchange& ex_;
  EditingLock& lock_;
  DisplayState& display_;
  ILocale& locale_;
  IDialogs& dialogs_;
};

}  // namespace zhv
