// The exchange state machine: the whole conversation with an identified base unit.
#include "exchange/machine.h"

#include <initializer_list>

#include "commands/lock.h"
#include "decode/ServTKE.h"
#include "exchange/catalogue.h"
#include "exchange/startup.h"
#include "exchange/tool.h"
#include "link/Vcom_io.h"

namespace zhv {

namespace {

constexpr int kResponseTimeoutTicks = 20;
constexpr int kStatusPeriodTicks = 100;
constexpr int kStorageOffsetTicks = 50;
constexpr int kParked = 33;
constexpr int kLastState = 35;
constexpr std::uint8_t kLastStorableWord = 0x0F;  // the block holds 32 bytes

// The opening of every request state but 0: while closing, park instead of sending.
bool Parked(ExchangeRecord& r) {
  if (r.closing != 1) return false;
  r.state = kParked;
  return true;
}

void Send(Tool& t, std::uint8_t command, std::initializer_list<std::uint8_t> data) {
  ExchangeRecord& r = t.r;
  r.timeoutCounter = 0;
  r.request[2] = command;
  r.request[3] = static_cast<std::uint8_t>(data.size());
  std::size_t i = 4;
  for (std::uint8_t b : data) r.request[i++] = b;
  SendFrame(t);
}

// The common wait: true when the held frame is the expected answer (and is consumed).
// Falls back to `retry` on a wrong frame or after 20 ticks without one.
bool Await(ExchangeRecord& r, std::uint8_t command, std::uint8_t length, int retry,
           bool countEveryTick = false) {
  if (countEveryTick) ++r.timeoutCounter;
  if (r.frameReady == 0) {
    if (!countEveryTick) ++r.timeoutCounter;
    if (r.timeoutCounter >= kResponseTimeoutTicks) r.state = retry;
    return false;
  }
  r.frameReady = 0;
  if (r.rxCommand != command || r.rxLength != length) {
    r.state = retry;
    return false;
  }
  return true;
}

bool TakePending(ExchangeRecord& r) {
  if (r.pending == cat::kPendNone) return false;
  r.state = r.pending;
  return true;
}

void CommandFinish(Tool& t) {
  EnableControlButtons(t);
  ApplyEditingLock(t);
  t.r.pending = cat::kPendNone;
}

// After every base unit command the parameter block is read again.
void ReReadFinish(Tool& t) {
  t.r.state = 2;
  CommandFinish(t);
}

// Shared by the first identification and the restart confirmation.
void IdentificationTail(Tool& t, int next) {
  ExchangeRecord& r = t.r;
  r.status0 = r.rxData[0];
  r.status1 = r.rxData[1];
  ShowIdentification(t);
  ++r.packetCounter;
  r.state = next;
}

void AcceptIdentification(Tool& t) {
  ExchangeRecord& r = t.r;
  const std::uint8_t* d = r.rxData.data();
  r.gasKind = d[3] >> 2;
  r.displayedKind = r.gasKind == cat::kGasCombined ? 1 : r.gasKind;
  r.identValue = ((d[3] & 0x03) << 8) + d[2];
  r.ident4 = d[4];
  r.ident5 = d[5];
  ShowStatusTabs(t);
  if (r.gasKind == cat::kGasCombined) ShowSensor2Tab(t);
  if (r.rxDeviceType == cat::kTypeStorage) ShowStorageTab(t);
  IdentificationTail(t, 2);
}

void AcceptStatus(Tool& t) {
  ExchangeRecord& r = t.r;
  const std::uint8_t* d = r.rxData.data();
  ++r.packetCounter;
  r.status0 = d[0];
  r.status1 = d[1];
  ShowBaseStatus(t);
  if (r.firstPass == 0) {
    SetUpChannel(t, d[8] & 0x3F, 0);
    if (r.gasKind == cat::kGasCombined) SetUpChannel(t, d[18] & 0x3F, 1);
    EnableControlButtons(t);
    ApplyEditingLock(t);
    r.firstPass = 1;
  }
  ShowChannelState(t, d[9], 0);
  ShowChannelState(t, d[19], 1);
  ShowChannelState(t, d[28], 2);
  ShowValveVoltage(t);
  ShowSupplyVoltages(t);
  ShowChannelValues(t);
  r.state = 6;
}

void SendUnitControl(Tool& t) {
  ExchangeRecord& r = t.r;
  if (Parked(r)) return;
  Send(t, cat::kUnitControl, {r.commandArg});
  switch (r.commandArg) {
    case cat::kCtlOff: r.state = 10; break;
    case cat::kCtlOn: r.state = 9; break;
    case cat::kCtlRestart: r.state = 8; break;
    default:
      r.pending = cat::kPendNone;
      r.state = 4;
      EnableControlButtons(t);
  }
}

// States 9 and 10: repeat the request until the unit shows the wanted USB control state.
void AwaitUsbControl(Tool& t, bool wantOn) {
  ExchangeRecord& r = t.r;
  if (!Await(r, cat::kUnitControl, cat::kUnitControlAnswerLen, 7)) return;
  r.status0 = r.rxData[0];
  r.status1 = r.rxData[1];
  if (((r.status0 & 1) != 0) == wantOn) {
    ShowBaseStatus(t);
    ReReadFinish(t);
  } else {
    r.state = 7;
  }
}

void AcceptWordWritten(Tool& t) {
  ExchangeRecord& r = t.r;
  const std::uint8_t word = r.rxData[2];
  if (word > kLastStorableWord) {  // names no word of ours: ask again
    r.state = 11;
    return;
  }
  r.paramOffset = static_cast<std::uint8_t>(word * 2);
  r.param[r.paramOffset] = r.rxData[0];
  r.param[r.paramOffset + 1u] = r.rxData[1];
  ShowParameterBlock(t);
  ReReadFinish(t);
}

void AcceptSupplySetpoint(Tool& t) {
  ExchangeRecord& r = t.r;
  r.param[30] = r.rxData[0];
  r.param[31] = r.rxData[1];
  r.paramValue = r.rxData[0] + 256 * r.rxData[1];
  t.f.Edit142.SetText(FormatValue(0x23, r.paramValue));
  ReReadFinish(t);
}

const char* CalibrationMessage(std::uint8_t flags) {
  if (flags == 0) return "";
  if (flags & 0x10) return "Cенсор отключен";
  if (flags & 0x01) return "Напряжение на сенсоре вышло за допустимые границы";
  if (flags & 0x02) return "Delta напряжения отрицательна или очень малая";
  return "Неизвестная ошибка отстрела";
}

void AcceptCalibration(Tool& t) {
  ExchangeRecord& r = t.r;
  const std::uint8_t op = r.rxData[0];
  const std::uint8_t flags = r.rxData[1];
  r.calMessage = CalibrationMessage(flags);
  const bool first = (op & 0x0F) == 0;
  Control& panel = first ? t.f.Panel120 : t.f.Panel220;
  if (flags == 0) {
    panel.SetText("");
    std::uint8_t& config = r.param[0];
    switch (op & 0xF0) {
      case 0x00:  // zero calibration
        config &= static_cast<std::uint8_t>(first ? ~0x01 : ~0x04);
        r.param[first ? 2 : 10] = r.rxData[2];
        r.param[first ? 3 : 11] = r.rxData[3];
        break;
      case 0xF0:  // INIT: both calibrations of the channel to be done again
        config |= first ? 0x03 : 0x0C;
        break;
      default:  // concentration calibration
        config &= static_cast<std::uint8_t>(first ? ~0x02 : ~0x08);
        r.param[first ? 4 : 12] = r.rxData[2];
        r.param[first ? 5 : 13] = r.rxData[3];
    }
  }
  panel.SetText(r.calMessage);
  ShowParameterBlock(t);
  ReReadFinish(t);
}

void AcceptEepromRewrite(Tool& t) {
  ExchangeRecord& r = t.r;
  r.calMessage = r.rxData[0] != 0 ? "Ошибка перезаписи EEPROM" : "";
  t.f.Panel120.SetText(r.calMessage);
  t.f.Panel220.SetText(r.calMessage);
  ReReadFinish(t);
}

}  // namespace

namespace {
// "ReStart ТКЭ", "Вкл." and "Выкл." of the five status groups, in this order.
constexpr Control TForm1::*kControlButtons[] = {
    &TForm1::Button101, &TForm1::Button102, &TForm1::Button103, &TForm1::Button201,
    &TForm1::Button202, &TForm1::Button203, &TForm1::Button301, &TForm1::Button302,
    &TForm1::Button303, &TForm1::Button401, &TForm1::Button402, &TForm1::Button403,
    &TForm1::Button501, &TForm1::Button502, &TForm1::Button503};

void SetControlButtons(Tool& t, bool enabled) {
  for (auto button : kControlButtons) (t.f.*button).SetEnabled(enabled);
}
}  // namespace

void DisableControlButtons(Tool& t) { SetControlButtons(t, false); }

void EnableControlButtons(Tool& t) { SetControlButtons(t, true); }

void ExchangeTick(Tool& t) {
  ExchangeRecord& r = t.r;
  if (r.state < 0 || r.state > kLastState) return;
  const std::uint8_t* d = r.rxData.data();
  switch (r.state) {
    case 0:  // identify, with status; runs even while closing
      Send(t, cat::kUnitControl, {cat::kArgIdentify});
      r.state = 1;
      break;
    case 1:
      if (Await(r, cat::kUnitControl, cat::kUnitControlAnswerLen, 0)) AcceptIdentification(t);
      break;
    case 2:
      if (Parked(r)) break;
      Send(t, cat::kReadParams, {});
      r.state = 3;
      break;
    case 3:
      if (Await(r, cat::kReadParams, cat::kParamsAnswerLen, 2)) {
        for (std::size_t i = 0; i < cat::kParamsAnswerLen; ++i) r.param[i] = d[i];
        ShowParameterBlock(t);
        ++r.packetCounter;
        r.state = 4;
      }
      break;
    case 4:
      if (TakePending(r) || Parked(r)) break;
      Send(t, cat::kReadStatus, {});
      r.state = 5;
      break;
    case 5:
      if (Await(r, cat::kReadStatus, cat::kStatusAnswerLen, 4, true)) AcceptStatus(t);
      break;
    case 6:
      if (TakePending(r) || Parked(r)) break;
      ++r.timeoutCounter;
      if (r.rxDeviceType == cat::kTypeStorage) {
        if (r.timeoutCounter >= kStorageOffsetTicks) r.state = 19;
      } else if (r.timeoutCounter >= kStatusPeriodTicks) {
        r.state = 4;
      }
      break;
    case 7:
      SendUnitControl(t);
      break;
    case 8:  // restart confirmed: read everything again from the parameter block
      if (Await(r, cat::kUnitControl, cat::kUnitControlAnswerLen, 7)) {
        r.pending = cat::kPendNone;
        r.firstPass = 0;
        IdentificationTail(t, 2);
      }
      break;
    case 9:
      AwaitUsbControl(t, true);
      break;
    case 10:
      AwaitUsbControl(t, false);
      break;
    case 11:
      if (Parked(r)) break;
      Send(t, cat::kWriteWord,
           {r.param[r.paramOffset & 0x1E], r.param[(r.paramOffset & 0x1E) + 1u],
            static_cast<std::uint8_t>(r.paramOffset >> 1)});
      r.state = 12;
      break;
    case 12:
      if (Await(r, cat::kWriteWord, cat::kWriteWordAnswerLen, 11)) AcceptWordWritten(t);
      break;
    case 13:
      if (Parked(r)) break;
      Send(t, cat::kSetSupply, {r.param[30], r.param[31]});
      r.state = 14;
      break;
    case 14:
      if (Await(r, cat::kSupplyAnswer, cat::kSupplyAnswerLen, 13)) AcceptSupplySetpoint(t);
      break;
    case 15:
      if (Parked(r)) break;
      Send(t, cat::kCalibrate, {r.commandArg});
      r.state = 16;
      break;
    case 16:
      if (Await(r, cat::kCalibrate, cat::kCalibrateAnswerLen, 15)) AcceptCalibration(t);
      break;
    case 17:
      if (Parked(r)) break;
      Send(t, cat::kRewriteEeprom, {});
      r.state = 18;
      break;
    case 18:
      if (Await(r, cat::kRewriteEeprom, cat::kEepromAnswerLen, 17)) AcceptEepromRewrite(t);
      break;
    case 19:
      if (Parked(r)) break;
      Send(t, cat::kStorageStatus, {});
      r.state = 20;
      break;
    case 20:
      if (Await(r, cat::kStorageStatus, cat::kStorageStatusAnswerLen, 19, true)) {
        ShowStorageStatus(t);
        r.state = 21;
      }
      break;
    case 21:
      if (TakePending(r) || Parked(r)) break;
      if (++r.timeoutCounter >= kStorageOffsetTicks) r.state = 4;
      break;
    case kParked:
      SetTraceOff(t, 0);
      break;
    default:  // the storage module jobs are not served yet
      break;
  }
}

}  // namespace zhv
