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
  if (!identification.exchanging && link.IsOpen() && IdentificationSilent(identification, f.Timer1.Interval()))
    ports.ShowNoAnswer();
  exchange.WatchSilence(link.IsOpen() && identification.exchanging, f.Timer1.Interval());
  // A failed write ends the connection once the tick's work is done. A device
  // gone does too, once the frames it sent before are taken.
  if (!link.IsOpen()) return;
  if (link.Lost() && (link.WriteFailed() || !link.BytesWaiting()))
    LoseDevice();
  else if (link.WriteFailed())
    DropConnection();
}

void Tool::OpenSelectedPort() {
  if (f.ListView1.Selected() < 0 || link.IsOpen()) return;
  // The engineer's own choice: a wait for a lost device ends, the charts start afresh.
  replug = {};
  display.KeepChartsAcrossGap(false);
  OpenPort(ports.Selected(), false);
}

OpenResult Tool::OpenPort(const std::string& name, bool reopening) {
  const OpenResult result = link.Open(name);
  switch (result) {
    case OpenResult::Refused:
      if (!reopening) ports.ShowRefused(name, link.Refusal());
      return result;
    case OpenResult::NotConfigured:
      ports.ShowNotConfigured(name);
      return result;
    case OpenResult::Opened:
      break;
  }
  serialNumber_ = ports.SerialNumberOf(name);
  ports.ShowOpened(name);
  ports.MarkSelectedOpen();
  // The first identification request, then the timer at the identification pace.
  if (!SendProbe(link)) {
    DropConnection();
    return result;
  }
  f.Timer1.SetInterval(kIdentifyTickMs);
  identification.retry = kFirstIdentifyRetryTicks;
  f.Timer1.SetEnabled(true);
  return result;
}

void Tool::ResetConnection() {
  f.Timer1.SetEnabled(false);
  link.Close();
  replug = {};
  display.KeepChartsAcrossGap(false);
  ShowNoDevice();
  ports.Fill();
}

void Tool::FollowPorts() {
  ports.Follow(link.IsOpen());
  if (!replug.waiting || link.IsOpen()) return;
  if (p.clock.SteadyMs() - replug.sinceMs >= kReplugWaitMs) {
    replug = {};
    display.KeepChartsAcrossGap(false);
    ports.ShowReplugOver();
    return;
  }
  const auto name = FindReturnedPort(ports.Listed(), replug.port);
  if (!name || !ports.Select(*name)) return;
  // A port not ready yet (another program looks at a new adapter first) is
  // tried again at the next look; one that opens, or fails to be set up, ends the wait.
  if (OpenPort(*name, true) != OpenResult::Refused) replug.waiting = false;
}

void Tool::LoseDevice() {
  const LostPort lost{link.PortName(), serialNumber_};
  f.Timer1.SetEnabled(false);
  link.Close();
  ShowNoDevice();
  // The row said "Открыт": the list as it stands now, the lost port chosen if still there.
  ports.Fill();
  ports.Select(lost.name);
  ports.ShowUnplugged(lost.name);
  replug = {true, lost, p.clock.SteadyMs()};
  // The same unit back within the wait carries on its charts after a gap.
  display.KeepChartsAcrossGap(true);
}

void Tool::ApplyReadOutTraceSetting() { exchange.jobs.spareTrace = f.CheckBox1.Checked(); }

bool Tool::FormClose(bool ask) {
  if (!link.IsOpen()) return true;
  const int interval = std::max(1, f.Timer1.Interval());
  const int ticksPerSecond = interval >= 1000 ? 1 : 1000 / interval;
  if (exchange.ReadOutRunning()) {
    // Enter keeps reading: a full buffer can take minutes, and the close may be a slip.
    // A unit gone has nothing left to keep reading: what it sent is taken below.
    if (ask && !link.Lost() && !p.dialogs.Ask(kStopToClose, false)) return false;
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
