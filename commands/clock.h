// The storage tab's clock and set-up commands: date and time, storage set-up,
// clock correction divider. The handlers flag the job and post it; the storage
// job states send the requests and read the entries when they run.
#pragma once

#include <cstdint>

#include "commands/lock.h"
#include "exchange/exchange.h"
#include "platform/platform.h"
#include "ui/window_model.h"

namespace zhv {

class Clock {
 public:
  Clock(TForm1& f, Exchange& ex, EditingLock& lock, IClock& pc) : f_(f), ex_(ex), lock_(lock), pc_(pc) {}

  // Binds the six buttons of the clock and set-up groups.
  void Bind();

  void SetDateTime();         // "Установить новую дату/время"
  void CopyUnitDateTime();    // "Дата/время прибора"
  void CopyPcDateTime();      // "Дата/время ПЭВМ"
  void SetStorageSetup();     // "Установить новые параметры"
  void WriteDivider();        // "Установить"
  // The same with a value given rather than typed (a settings restore).
  void WriteDivider(std::int32_t divider);
  void ReadDivider();         // "Обновить"

  // The date and time edits checked: each rewritten with its corrected value.
  ClockEntry ReadClockEntry();
  // The data byte of the set-up request, from the two check boxes.
  std::uint8_t SetupByte() const;

 private:
  void PostDivider(std::int32_t value, bool write);

  TForm1& f_;
  Exchange& ex_;
  EditingLock& lock_;
  IClock& pc_;
};

}  // namespace zhv
