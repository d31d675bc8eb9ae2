// Start-up, the poll tick, identification and the orderly shut-down.
#pragma once

namespace zhv {

struct Tool;

// Binds the window events of this file: the timer, the port list, "Сброс", CheckBox1.
void BindStartup(Tool& t);

void FormCreate(Tool& t);
void StartVisibleForm1(Tool& t);
void Timer1Timer(Tool& t);
void IdentifyDevice(Tool& t);
void ResetExchange(Tool& t);
void ApplyReadOutTraceSetting(Tool& t);
void Button1Click(Tool& t);
void CheckBox1Click(Tool& t);
void ListView1DblClick(Tool& t);
void FormClose(Tool& t);
void ShowStatusTabs(Tool& t);
void ShowSensor2Tab(Tool& t);
void ShowStorageTab(Tool& t);

// Sends the request buffer; a failed write ends the connection (false).
bool SendRequest(Tool& t);

// A write failed or the device vanished: timer off, port closed, no-device
// state, "Ошибка доступа к порт …".
void DropConnection(Tool& t);

}  // namespace zhv
