// The operator's side of a buffer read-out: choosing the file and its layout,
// which records to read, and the start.
#pragma once

namespace zhv {

struct Tool;

// Binds the four buttons of the group "Чтение модуля накопления".
void BindReadOut(Tool& t);

void Button10310Click(Tool& t);  // "Открыть/Создать"
void Button10320Click(Tool& t);  // "Применить" the count
void Button10330Click(Tool& t);  // "Применить" the address
void Button1030Click(Tool& t);   // "Выполнить чтение буфера и запись в файл"

void ApplyCount(Tool& t);
void ApplyAddress(Tool& t);

// "Открыть/Создать" and the two "Применить": off while a read-out runs.
void SetFileButtons(Tool& t, bool enabled);

}  // namespace zhv
