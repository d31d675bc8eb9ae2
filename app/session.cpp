// The connection from start-up to shut-down, and the poll tick that drives it.
#include <algorithm>

#include "app/tool.h"
#include "protocol/catalogue.h"

namespace zhv {

namespace {

constexpr int kExchangeTickMs = 10;
constexpr int kIdentifyTickMs = 100;
constexpr const char* kStopToClose =
    "Идёт чтение буфера модуля накопления.\n"
    "Остановить чтение и закрыть программу?\n\n"
    "«Нет» — продолжить чтение.";

}  // namespace

void Tool::FormCreate() {
  ShowNoDevice();
  ports.Fill();
}

void Tool::ShowNoDevice() {
  display.ShowNoDevice();
  identification = {};
  link.SetSendType(cat::kTypeUnknown);
  exchange.Reset();
  settings.ConnectionEnded();
}

void Tool::PollTick() {
  if (!link.FrameReady()) {
    link.Receive();
    if (link.FrameReady()) exchange.NoteFrame();
  }
  if (closeCountdown > 0) --closeCountdown;
  if (!identification.exchanging) {
    if (const auto type = IdentifyStep(identification, link)) {
      display.ShowProduct(*type);
      if (cat::IsGasAlarmUnit(*type)) link.SetSendType(*type);
    }
    if (identification.identified && cat::IsGasAlarmUnit(link.Received().type)) {
      exchange.Reset();
      ApplyReadOutTraceSetting();
      f.Timer1.SetInterval(kExchangeTickMs);
      identification.exchanging = true;
    }
  } else {
    exchange.Tick();
  }
  settings.Tick();
  readOut.Follow(f.Timer1.Interval());
  exchange.WatchSilence(link.IsOpen() && identification.exchanging, f.Timer1.Interval());
  // A failed write ends the connection once the tick's work is done. A device
  // gone does too, once the frames it sent before are taken.
  if (link.IsOpen() && (link.WriteFailed() || (link.Lost() && !link.BytesWaiting()))) DropConnection();
}

void Tool::OpenSelectedPort() {
  if (f.ListView1.Selected() < 0 || link.IsOpen()) return;
  const std::string name = ports.Selected();
  switch (link.Open(name)) {
    case OpenResult::Refused:
      ports.ShowRefused(name, link.Refusal());
      return;
    case OpenResult::NotConfigured:
      ports.ShowNotConfigured(name);
      return;
    case OpenResult::Opened:
      break;
  }
  ports.ShowOpened(name);
  ports.MarkSelectedOpen();
  // The first identification request, then the timer at the identification pace.
  if (!SendProbe(link)) {
    DropConnection();
    return;
  }
  f.Timer1.SetInterval(kIdentifyTickMs);
  identification.retry = kFirstIdentifyRetryTicks;
  f.Timer1.SetEnabled(true);
}

void Tool::ResetConnection() {
  f.Timer1.SetEnabled(false);
  link.Close();
  ShowNoDevice();
  ports.Fill();
}

void Tool::ApplyReadOutTraceSetting() { exchange.jobs.spareTrace = f.CheckBox1.Checked(); }

bool Tool::FormClose(bool ask) {
  if (!link.IsOpen()) return true;
  const int interval = std::max(1, f.Timer1.Interval());
  const int ticksPerSecond = interval >= 1000 ? 1 : 1000 / interval;
  if (exchange.ReadOutRunning()) {
    // Enter keeps reading: a full buffer can take minutes, and the close may be a slip.
    if (ask && !p.dialogs.Ask(kStopToClose, false)) return false;
    readOut.Stop();
    // The block in hand, then the end; an unanswered request gives up within a second.
    closeCountdown = 3 * ticksPerSecond;
    while (exchange.ReadOutRunning() && closeCountdown > 0 && link.IsOpen() && f.Timer1.Enabled())
      p.pump.ProcessMessages();
    if (!link.IsOpen()) return true;
  }
  exchange.poll.closing = true;
  closeCountdown = 2 * ticksPerSecond;  // the ticks in two seconds
  f.PageControl1.SetActivePage(0);
  f.Panel2.SetColour(clr::BtnFace);
  f.Panel2.SetText("Закрытие программы !!!");
  const std::uint8_t off[] = {cat::kArgUsbOff};
  if (!link.Send(cat::kUnitControl, off)) DropConnection();
  // The ticks run down the countdown; a lost port stops them, so stop waiting then too.
  while (closeCountdown > 0 && link.IsOpen() && f.Timer1.Enabled()) p.pump.ProcessMessages();
  f.Timer1.SetEnabled(false);
  link.Close();
  exchange.DropStorageJobs();
  return true;
}

void Tool::DropConnection() {
  f.Timer1.SetEnabled(false);
  link.Close();
  ShowNoDevice();
  ports.ShowPortError(link.PortName());
}

}  // namespace zhv
