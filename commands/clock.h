// The storage tab's clock and set-up commands: date and time, storage set-up,
// clock correction divider.
#pragma once

namespace zhv {

struct Tool;

// Binds the six buttons of this file.
void BindClock(Tool& t);

void Button10221Click(Tool& t);  // "Установить новую дату/время"
void Button10222Click(Tool& t);  // "Дата/время прибора"
void Button10223Click(Tool& t);  // "Дата/время ПЭВМ"
void Button10230Click(Tool& t);  // "Установить новые параметры"
void Button10241Click(Tool& t);  // "Установить" the divider
void Button10242Click(Tool& t);  // "Обновить" the divider

}  // namespace zhv
