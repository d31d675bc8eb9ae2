// Start-up, the poll tick, identification and the orderly shut-down.
#include "exchange/startup.h"

#include <algorithm>

#include "app/tool.h"
#include "commands/lock.h"
#include "decode/ServTKE.h"
#include "exchange/catalogue.h"
#include "exchange/machine.h"
#include "exchange/silence.h"
#include "exchange/storage_jobs.h"
#include "link/Vcom_io.h"

namespace zhv {

namespace {

constexpr int kExchangeTickMs = 10;
constexpr int kIdentifyTickMs = 100;
constexpr int kIdentifyRetryTicks = 20;
constexpr int kFirstIdentifyRetryTicks = 10;

struct ProductName {
  const char* prefix;
  TColor colour;
};

// What the identification response's device type code names in Panel2.
ProductName NameProduct(std::uint8_t type) {
  switch (type) {
    case 0x02: return {"Найден эмулятор ИК ЖОВ-11А (ID = ", clr::Red};
    case 0x03: return {"Найден эмулятор ИК ЖОВ-11А1 (ID = ", clr::Red};
    case 0x04: return {"Найдено устройство калибровки БД ЖОВ-11А1 (ID = ", clr::Red};
    case 0x05: return {"Найден Тестер А-интерфейса (ID = ", clr::Red};
    case 0x06: return {"Найден Тестер Velk/RS485 (ID = ", clr::Red};
    case 0x08:
    case 0x09: return {"Найден БПС ЖОВ-11А1 (ID = ", clr::Red};
    case cat::kTypeBase:
    case cat::kTypeStorage:
    case cat::kTypeVoice:
      return {"Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = ", clr::Lime};
    default: return {"Найдено устройство (ID = ", clr::Red};
  }
}

bool SendProbe(Tool& t) {
  t.r.request[2] = cat::kProbe;
  t.r.request[3] = 0;
  return SendRequest(t);
}

// The port is open: the first identification request, then the timer at the
// identification pace.
void StartIdentification(Tool& t) {
  if (!SendProbe(t)) return;
  t.f.Timer1.SetInterval(kIdentifyTickMs);
  t.r.identRetry = kFirstIdentifyRetryTicks;
  t.f.Timer1.SetEnabled(true);
}

}  // namespace

void BindStartup(Tool& t) {
  TForm1& f = t.f;
  f.Timer1.OnTimer = [&t] { Timer1Timer(t); };
  f.ListView1.OnDblClick = [&t] { ListView1DblClick(t); };
  f.Button1.OnClick = [&t] { Button1Click(t); };
  f.CheckBox1.OnClick = [&t] { CheckBox1Click(t); };
}

void FormCreate(Tool& t) {
  StartVisibleForm1(t);
  ListPorts(t);
}

void StartVisibleForm1(Tool& t) {
  ExchangeRecord& r = t.r;
  TForm1& f = t.f;
  f.PageControl1.SetActivePage(0);
  for (Control* tab : {&f.TabSheet2, &f.TabSheet3, &f.TabSheet4, &f.TabSheet5, &f.TabSheet6})
    tab->SetVisible(false);
  r.portOpen = 0;
  r.identified = 0;
  r.sendDeviceType = cat::kTypeUnknown;
  r.pollPhase = 0;
  f.Panel1.SetColour(clr::BtnFace);
  f.Panel2.SetColour(clr::BtnFace);
  f.Panel1.SetText("Нет активных устройств");
  f.Panel2.SetText("");
  // A calibration verdict belongs to the unit it came from.
  f.Panel120.SetText("");
  f.Panel220.SetText("");
  ResetExchange(t);
}

void ResetExchange(Tool& t) {
  ExchangeRecord& r = t.r;
  r.state = 0;
  r.firstPass = 0;
  r.status0 = 0;
  r.status1 = 0;
  r.commandArg = 0;
  r.referenceYearKnown = 0;  // the next unit's years may count from another year
  // A command left over from a lost connection must not run on the next unit.
  r.pending = cat::kPendNone;
  DropStorageJobs(t);
  DisableControlButtons(t);
  ApplyEditingLock(t);
  r.echoTemperature = 0;
  ResetSilence(t);
}

void ApplyReadOutTraceSetting(Tool& t) { t.r.readOutTraceSetting = t.f.CheckBox1.Checked() ? 1 : 0; }

void Timer1Timer(Tool& t) {
  ExchangeRecord& r = t.r;
  if (r.frameReady == 0) {
    ReceiveFrame(t);
    if (r.frameReady == 1) NoteFrame(r);
  }
  if (r.closeCountdown > 0) --r.closeCountdown;
  if (r.pollPhase == 0) {
    IdentifyDevice(t);
    if (r.identified == 1 && cat::IsGasAlarmUnit(r.rxDeviceType)) {
      ResetExchange(t);
      ApplyReadOutTraceSetting(t);
      t.f.Timer1.SetInterval(kExchangeTickMs);
      r.pollPhase = 1;
    }
  } else if (r.pollPhase == 1) {
    ExchangeTick(t);
  }
  WatchSilence(t);
  // Once the device has gone, the frames it sent before are taken first; then
  // the connection ends, unless a write in between has ended it already.
  if (r.linkLost == 1 && r.portOpen == 1 && !BytesWaiting(t)) DropConnection(t);
}

void IdentifyDevice(Tool& t) {
  ExchangeRecord& r = t.r;
  if (r.identified == 0 && r.identRetry > 0 && --r.identRetry == 0) {
    SendProbe(t);
    r.identRetry = kIdentifyRetryTicks;
  }
  if (r.frameReady != 1) return;
  r.frameReady = 0;
  if (r.rxCommand != cat::kProbe || r.rxLength != cat::kProbeAnswerLen) return;

  r.identified = 1;
  const ProductName name = NameProduct(r.rxDeviceType);
  t.f.Panel2.SetColour(name.colour);
  t.f.Panel2.SetText(std::string(name.prefix) + Hex2(r.rxDeviceType) + "h)");
  if (cat::IsGasAlarmUnit(r.rxDeviceType)) r.sendDeviceType = r.rxDeviceType;
}

void Button1Click(Tool& t) {
  t.f.Timer1.SetEnabled(false);
  ClosePort(t);
  StartVisibleForm1(t);
  ListPorts(t);
}

void CheckBox1Click(Tool& t) { ApplyReadOutTraceSetting(t); }

void ListView1DblClick(Tool& t) {
  if (OpenPort(t)) StartIdentification(t);
}

void FormClose(Tool& t) {
  ExchangeRecord& r = t.r;
  if (r.portOpen != 1) return;
  r.closing = 1;
  const int interval = std::max(1, t.f.Timer1.Interval());
  r.closeCountdown = interval >= 1000 ? 2 : (1000 / interval) * 2;
  t.f.PageControl1.SetActivePage(0);
  t.f.Panel2.SetColour(clr::BtnFace);
  t.f.Panel2.SetText("Закрытие программы !!!");
  r.request[2] = cat::kUnitControl;
  r.request[3] = cat::kUnitControlLen;
  r.request[4] = cat::kArgUsbOff;
  SendRequest(t);
  // The ticks run down the countdown; a lost port stops them, so stop waiting then too.
  while (r.closeCountdown > 0 && r.portOpen == 1 && t.f.Timer1.Enabled()) t.p.pump.ProcessMessages();
  t.f.Timer1.SetEnabled(false);
  ClosePort(t);
  DropStorageJobs(t);
}

void ShowStatusTabs(Tool& t) {
  t.f.TabSheet2.SetVisible(true);
  t.f.TabSheet4.SetVisible(true);
  t.f.TabSheet5.SetVisible(true);
  t.f.PageControl1.SetActivePage(1);
}

void ShowSensor2Tab(Tool& t) { t.f.TabSheet3.SetVisible(true); }

void ShowStorageTab(Tool& t) { t.f.TabSheet6.SetVisible(true); }

bool SendRequest(Tool& t) {
  if (SendFrame(t)) return true;
  DropConnection(t);
  return false;
}

void DropConnection(Tool& t) {
  t.f.Timer1.SetEnabled(false);
  ClosePort(t);
  StartVisibleForm1(t);
  ShowPortError(t);
}

}  // namespace zhv
