// Commands on a sensor channel or the whole unit: zero and span calibration,
// the EEPROM rewrite, and INIT, the reset of the settings behind a pass phrase.
// None has an entry to check but the pass phrase; the unit's verdict is shown
// by the exchange.
#pragma once

#include <cstdint>

#include "commands/lock.h"
#include "exchange/exchange.h"
#include "ui/window_model.h"

namespace zhv {

class Calibration {
 public:
  Calibration(TForm1& f, Exchange& ex, EditingLock& lock) : f_(f), ex_(ex), lock_(lock) {}

  // Binds the calibration, "Перезапись EEPROM" and INIT buttons and the pass phrase edits.
  void Bind();

  void CalibrateZero1();         // "Отстрел нуля", channel 1
  void CalibrateSpan1();         // "Отстрел конц.", channel 1
  void CalibrateZero2();
  void CalibrateSpan2();
  void RewriteEeprom();          // every "Перезапись EEPROM" button
  void AskInitPassPhrase1();     // INIT on "Сенсор 1": asks for the pass phrase
  void AskInitPassPhrase2();     // INIT on "Сенсор 2"
  // A key typed into a pass phrase edit; Enter checks it.
  void PassPhraseKey(Control& edit, char key, std::uint8_t operation);

 private:
  void Post(std::uint8_t operation);
  void AskPassPhrase(Control& button, Control& edit);

  TForm1& f_;
  Exchange& ex_;
  EditingLock& lock_;
  bool typing_ = false;  // a key has gone into the shown pass phrase edit
};

}  // namespace zhv
