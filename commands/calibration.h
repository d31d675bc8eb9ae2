// Commands on a sensor channel or the whole unit: zero and span calibration,
// the EEPROM rewrite, and INIT, the reset of the settings behind a pass phrase.
// Each changes the unit at once, so each is asked about first: the calibrations
// and the rewrite in a question that says what will change, INIT by its pass
// phrase. The unit's verdict is shown by the exchange.
#pragma once

#include <cstdint>

#include "commands/lock.h"
#include "decode/display.h"
#include "exchange/exchange.h"
#include "platform/platform.h"
#include "ui/window_model.h"

namespace zhv {

class Calibration {
 public:
  Calibration(TForm1& f, Exchange& ex, EditingLock& lock, const DisplayState& display, IDialogs& dialogs)
      : f_(f), ex_(ex), lock_(lock), display_(display), dialogs_(dialogs) {}

  // Binds the calibration, "Перезапись EEPROM" and INIT buttons and the pass phrase edits.
  void Bind();

  void CalibrateZero1();         // "Отстрел нуля", channel 1
  void CalibrateSpan1();         // "Отстрел конц.", channel 1
  void CalibrateZero2();
  void CalibrateSpan2();
  void RewriteEeprom();          // every "Перезапись EEPROM" button
  void AskInitPassPhrase1();     // INIT on "Сенсор 1": asks for the pass phrase
  void AskInitPassPhrase2();     // INIT on "Сенсор 2"
  // A key typed into a pass phrase edit; Enter checks it, Escape gives the entry up.
  void PassPhraseKey(Control& edit, char& key, std::uint8_t operation);

 private:
  // Posts the calibration once the operator has said yes to what it will do.
  void Calibrate(std::uint8_t operation);
  void Post(std::uint8_t operation);
  void AskPassPhrase(Control& edit);
  // Still unlocked after the question: the poll runs on while it is open.
  bool StillUnlocked(const Control& button) const { return button.Enabled(); }

  TForm1& f_;
  Exchange& ex_;
  EditingLock& lock_;
  const DisplayState& display_;
  IDialogs& dialogs_;
  bool typing_ = false;  // a key has gone into the shown pass phrase edit
};

}  // namespace zhv
