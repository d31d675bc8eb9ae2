// Editing lock and the status group's own buttons.
#pragma once

namespace zhv {

struct Tool;

void LockEditing(Tool& t);
void UnlockEditing(Tool& t);
void ApplyEditingLock(Tool& t);  // unlocked only while the unit reports USB control on

// "ReStart ТКЭ", "Вкл." and "Выкл." of the five status groups: outside the editing
// lock, disabled while a control command runs.
void DisableControlButtons(Tool& t);
void EnableControlButtons(Tool& t);

// Binds the restart, on, off and counter reset buttons of the five status groups.
void BindStatusGroups(Tool& t);

void Button101Click(Tool& t);  // "ReStart ТКЭ"
void Button102Click(Tool& t);  // "Вкл."
void Button103Click(Tool& t);  // "Выкл."
void Button104Click(Tool& t);  // "Сброс" of the packet counter
void ResetPacketCounter(Tool& t);

}  // namespace zhv
