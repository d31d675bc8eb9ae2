// Commands on a sensor channel or the whole unit: zero and span calibration,
// the EEPROM rewrite and INIT, the reset of the settings behind a pass phrase.
#pragma once

namespace zhv {

struct Tool;

// Binds the calibration, "Перезапись EEPROM" and INIT buttons and the pass phrase edits.
void BindCalibration(Tool& t);

void Button121Click(Tool& t);   // "Отстрел нуля", channel 1
void Button1221Click(Tool& t);  // "Отстрел конц.", channel 1
void Button221Click(Tool& t);   // "Отстрел нуля", channel 2
void Button2221Click(Tool& t);  // "Отстрел конц.", channel 2
void Button124Click(Tool& t);   // every "Перезапись EEPROM" button
void Button125Click(Tool& t);   // INIT on "Сенсор 1": asks for the pass phrase
void Button225Click(Tool& t);   // INIT on "Сенсор 2"
void Edit125KeyPress(Tool& t, char& key);
void Edit225KeyPress(Tool& t, char& key);

}  // namespace zhv
