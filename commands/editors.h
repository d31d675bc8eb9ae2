// The parameter editors: each turns an entry or a check box into one parameter
// word of the block and posts its write.
#pragma once

namespace zhv {

struct Tool;

// Binds the "Записать" and "Задать" buttons and the configuration check boxes.
void BindEditors(Tool& t);

void Button321Click(Tool& t);    // temperature alarm threshold, high byte of word 0x00
void Button1220Click(Tool& t);   // channel 1 calibration concentration, word 0x03
void Button123Click(Tool& t);    // channel 1 alarm threshold, word 0x04
void Button2220Click(Tool& t);   // channel 2 calibration concentration, word 0x07
void Button223Click(Tool& t);    // channel 2 alarm threshold, word 0x08
void Button331Click(Tool& t);    // pulse valve voltage, word 0x09
void Button351Click(Tool& t);    // run time on backup power, word 0x0A
void Button10210Click(Tool& t);  // status recording period, bits 0..11 of word 0x0B
void Button421Click(Tool& t);    // interface module periods, words 0x0C..0x0E
void Button422Click(Tool& t);
void Button423Click(Tool& t);
void Button140Click(Tool& t);    // sensor supply voltage setpoint

void CheckBox320Click(Tool& t);    // "Разрешить контроль температуры"
void CheckBox360Click(Tool& t);    // "Разрешить информирование"
void CheckBox1211Click(Tool& t);   // clean-air zero calibration
void CheckBox350Click(Tool& t);    // "Использовать резервное питание"
void CheckBox3501Click(Tool& t);   // "Сработка клапана после отключения"
void CheckBox10210Click(Tool& t);  // "нет записи состояния"

}  // namespace zhv
