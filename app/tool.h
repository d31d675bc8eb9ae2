// The tool: every layer's part, wired together, and the connection they serve
// from start-up to shut-down. The one place that knows them all.
#pragma once

#include <cstdint>

#include "commands/commands.h"
#include "decode/display.h"
#include "decode/port_list.h"
#include "decode/trace_window.h"
#include "exchange/exchange.h"
#include "exchange/identification.h"
#include "link/link.h"
#include "link/ports.h"
#include "link/session_log.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "storage/readout.h"
#include "ui/window_model.h"

namespace zhv {

inline constexpr const char* kApplicationTitle = "ЖОВ-11А1";

// A device gone from its port is waited for, and its port opened again when it
// is back: within ten minutes it is the same unit an engineer replugged.
inline constexpr std::int64_t kReplugWaitMs = 10 * 60 * 1000;
struct ReplugWait {
  bool waiting = false;
  LostPort port;
  std::int64_t sinceMs = 0;  // the steady clock when the device went
};

class Tool {
 public:
  explicit Tool(Platform platform);
  Tool(const Tool&) = delete;
  Tool& operator=(const Tool&) = delete;

  // --- the connection (app/session.cpp)
  // The window is created: no device, the port list filled.
  void FormCreate();
  // One tick of Timer1: the link's turn, then identification or one state of
  // the exchange, then what the tick's end decides.
  void PollTick();
  // A double-click on the port list: opens the selected port and starts identifying.
  void OpenSelectedPort();
  // "Сброс/Обновить список устройств"; it ends any waiting for a lost device.
  void ResetConnection();
  // A look of the port watch: the list follows the ports present, and a lost
  // device that is back is opened again.
  void FollowPorts();
  // CheckBox1 "нет отображения при чтении  данных модуля сохранения".
  void ApplyReadOutTraceSetting();
  // The window closes: the unit's USB control is switched off, and two seconds
  // of ticks let its answer come before the port is closed. A read-out under
  // way is stopped first, if the operator agrees when asked (`ask`); false when
  // the window stays open to let it go on.
  bool FormClose(bool ask = true);

  Platform p;
  TForm1 f;
  TForm6 form6;
  TForm2 form2;
  Link link;
  SessionLogWriter log;
  TraceWindow trace;
  PortList ports;
  Exchange exchange;
  Display display;
  Commands commands;
  ReadOut readOut;
  Settings settings;
  Identification identification;
  std::int32_t closeCountdown = 0;  // ticks still to wait while closing
  ReplugWait replug;

 private:
  // The window back to its no-device state.
  void ShowNoDevice();
  // Opens the port and starts identifying. Reopening a lost device's port, a
  // refusal is not shown: the wait goes on.
  OpenResult OpenPort(const std::string& name, bool reopening);
  // A write failed: timer off, port closed, no-device state, "Ошибка доступа к порт …".
  void DropConnection();
  // The device vanished: as a failed write, but the list and the panels say
  // so, and the tool waits for the device to come back.
  void LoseDevice();

  std::string serialNumber_;  // of the adapter of the port open now
};

}  // namespace zhv
