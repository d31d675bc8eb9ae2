// The exchange state machine: the whole conversation with an identified base unit.
#include "exchange/machine.h"

#include "app/tool.h"
#include "commands/lock.h"
#include "decode/ServTKE.h"
#include "decode/gas_kinds.h"
#include "exchange/catalogue.h"
#include "exchange/silence.h"
#include "exchange/startup.h"
#include "exchange/states.h"
#include "exchange/steps.h"
#include "exchange/storage_jobs.h"
#include "link/Vcom_io.h"

namespace zhv {

namespace {

constexpr int kStatusPeriodTicks = 100;
constexpr int kStorageOffsetTicks = 50;
constexpr std::uint8_t kLastStorableWord = 0x0F;  // the block holds 32 bytes

bool WriteWaiting(const ExchangeRecord& r) {
  return r.pending == cat::kPendWriteWord || r.pending == cat::kPendSetSupply;
}

// Shared by the first identification and the restart confirmation.
void IdentificationTail(Tool& t, std::int32_t next) {
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
  const bool combined = GasKindOf(r.gasKind).secondChannel;
  // The combined unit's first channel is its natural gas sensor.
  r.displayedKind = combined ? cat::kGasCH4 : r.gasKind;
  r.identValue = ((d[3] & 0x03) << 8) + d[2];
  r.ident4 = d[4];
  r.ident5 = d[5];
  ShowStatusTabs(t);
  if (combined) ShowSensor2Tab(t);
  if (r.rxDeviceType == cat::kTypeStorage) ShowStorageTab(t);
  IdentificationTail(t, st::kReadParams);
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
    if (GasKindOf(r.gasKind).secondChannel) SetUpChannel(t, d[18] & 0x3F, 1);
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
  r.state = st::kIdle;
}

void SendUnitControl(Tool& t) {
  ExchangeRecord& r = t.r;
  if (Parked(r)) return;
  Send(t, cat::kUnitControl, {r.commandArg});
  switch (r.commandArg) {
    case cat::kCtlOff: r.state = st::kAwaitUsbOff; break;
    case cat::kCtlOn: r.state = st::kAwaitUsbOn; break;
    case cat::kCtlRestart: r.state = st::kAwaitRestart; break;
    default:
      r.pending = cat::kPendNone;
      r.state = st::kStatusIdle;
      EnableControlButtons(t);
  }
}

// States 9 and 10: repeat the request until the unit shows the wanted USB control state.
void AwaitUsbControl(Tool& t, bool wantOn) {
  ExchangeRecord& r = t.r;
  if (!Await(t, cat::kUnitControl, cat::kUnitControlAnswerLen, st::kUnitControl)) return;
  r.status0 = r.rxData[0];
  r.status1 = r.rxData[1];
  if (((r.status0 & 1) != 0) == wantOn) {
    ShowBaseStatus(t);
    ReReadFinish(t);
  } else {
    NoteRefusal(r);
    r.state = st::kUnitControl;
  }
}

void AcceptWordWritten(Tool& t) {
  ExchangeRecord& r = t.r;
  const std::uint8_t word = r.rxData[2];
  if (word > kLastStorableWord) {  // names no word of ours: ask again
    NoteRefusal(r);
    r.state = st::kWriteWord;
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

void ExchangeTick(Tool& t) {
  ExchangeRecord& r = t.r;
  if (r.state < 0 || r.state > st::kLastState) return;
  const std::uint8_t* d = r.rxData.data();
  switch (r.state) {
    case st::kIdentify:  // with status; runs even while closing
      Send(t, cat::kUnitControl, {cat::kArgIdentify});
      r.state = st::kAwaitIdentify;
      break;
    case st::kAwaitIdentify:
      if (Await(t, cat::kUnitControl, cat::kUnitControlAnswerLen, st::kIdentify))
        AcceptIdentification(t);
      break;
    case st::kReadParams:
      if (Parked(r)) break;
      Send(t, cat::kReadParams, {});
      r.state = st::kAwaitParams;
      break;
    case st::kAwaitParams:
      if (Await(t, cat::kReadParams, cat::kParamsAnswerLen, st::kReadParams)) {
        // Editing unlocks before the re-read that ends a command is answered. A write
        // posted meanwhile holds the operator's word in the block: this older copy must
        // not replace it, or the old value would be sent. The write reads afresh anyway.
        if (!WriteWaiting(r)) {
          for (std::size_t i = 0; i < cat::kParamsAnswerLen; ++i) r.param[i] = d[i];
          ShowParameterBlock(t);
        }
        ++r.packetCounter;
        r.state = st::kStatusIdle;
      }
      break;
    case st::kStatusIdle:
      if (TakePending(t) || Parked(r)) break;
      Send(t, cat::kReadStatus, {});
      r.state = st::kAwaitStatus;
      break;
    case st::kAwaitStatus:
      if (Await(t, cat::kReadStatus, cat::kStatusAnswerLen, st::kStatusIdle, Count::EveryTick))
        AcceptStatus(t);
      break;
    case st::kIdle:
      if (TakePending(t) || Parked(r)) break;
      ++r.timeoutCounter;
      if (r.rxDeviceType == cat::kTypeStorage) {
        if (r.timeoutCounter >= kStorageOffsetTicks) r.state = st::kStorageStatus;
      } else if (r.timeoutCounter >= kStatusPeriodTicks) {
        r.state = st::kStatusIdle;
      }
      break;
    case st::kUnitControl:
      SendUnitControl(t);
      break;
    case st::kAwaitRestart:  // read everything again from the parameter block
      if (Await(t, cat::kUnitControl, cat::kUnitControlAnswerLen, st::kUnitControl)) {
        r.pending = cat::kPendNone;
        r.firstPass = 0;
        IdentificationTail(t, st::kReadParams);
      }
      break;
    case st::kAwaitUsbOn:
      AwaitUsbControl(t, true);
      break;
    case st::kAwaitUsbOff:
      AwaitUsbControl(t, false);
      break;
    case st::kWriteWord:
      if (Parked(r)) break;
      Send(t, cat::kWriteWord,
           {r.param[r.paramOffset & 0x1E], r.param[(r.paramOffset & 0x1E) + 1u],
            static_cast<std::uint8_t>(r.paramOffset >> 1)});
      r.state = st::kAwaitWord;
      break;
    case st::kAwaitWord:
      if (Await(t, cat::kWriteWord, cat::kWriteWordAnswerLen, st::kWriteWord))
        AcceptWordWritten(t);
      break;
    case st::kSetSupply:
      if (Parked(r)) break;
      Send(t, cat::kSetSupply, {r.param[30], r.param[31]});
      r.state = st::kAwaitSupply;
      break;
    case st::kAwaitSupply:
      if (Await(t, cat::kSupplyAnswer, cat::kSupplyAnswerLen, st::kSetSupply))
        AcceptSupplySetpoint(t);
      break;
    case st::kCalibrate:
      if (Parked(r)) break;
      Send(t, cat::kCalibrate, {r.commandArg});
      r.state = st::kAwaitCalibration;
      break;
    case st::kAwaitCalibration:
      if (Await(t, cat::kCalibrate, cat::kCalibrateAnswerLen, st::kCalibrate))
        AcceptCalibration(t);
      break;
    case st::kRewriteEeprom:
      if (Parked(r)) break;
      Send(t, cat::kRewriteEeprom, {});
      r.state = st::kAwaitEeprom;
      break;
    case st::kAwaitEeprom:
      if (Await(t, cat::kRewriteEeprom, cat::kEepromAnswerLen, st::kRewriteEeprom))
        AcceptEepromRewrite(t);
      break;
    case st::kStorageStatus:
      if (Parked(r)) break;
      Send(t, cat::kStorageStatus, {});
      r.state = st::kAwaitStorageStatus;
      break;
    case st::kAwaitStorageStatus:
      if (Await(t, cat::kStorageStatus, cat::kStorageStatusAnswerLen, st::kStorageStatus,
                Count::EveryTick)) {
        ShowStorageStatus(t);
        r.state = st::kStorageIdle;
      }
      break;
    case st::kStorageIdle:
      if (TakePending(t) || Parked(r)) break;
      if (++r.timeoutCounter >= kStorageOffsetTicks) r.state = st::kStatusIdle;
      break;
    case st::kParked:
      SetTraceOff(t, 0);
      break;
    default:
      StorageJobTick(t);
      break;
  }
}

}  // namespace zhv
