// The base unit's exchanges: identification, parameters, status, and the
// operator's commands on the unit.
#include <algorithm>

#include "exchange/steps.h"
#include "protocol/catalogue.h"
#include "protocol/gas_kinds.h"
#include "protocol/status_bits.h"

namespace zhv {

namespace {

Payload One(std::uint8_t b) { return {{b}, 1}; }

// --- what the requests carry

Payload IdentifyData(Exchange&) { return One(cat::kArgIdentify); }
Payload ArgumentData(Exchange& ex) { return One(ex.poll.commandArg); }

Payload WordData(Exchange& ex) {
  const PollState& p = ex.poll;
  const std::uint8_t word = static_cast<std::uint8_t>((p.paramOffset & 0x1E) >> 1);
  const std::uint16_t value = param::Word(p.param, word);
  ex.NoteWordSent(value);
  return {{static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8),
           static_cast<std::uint8_t>(p.paramOffset >> 1)},
          3};
}

Payload SetpointData(Exchange& ex) {
  const std::uint16_t setpoint = param::Word(ex.poll.param, param::kSetpointWord);
  ex.NoteWordSent(setpoint);
  return {{static_cast<std::uint8_t>(setpoint & 0xFF), static_cast<std::uint8_t>(setpoint >> 8)}, 2};
}

bool NothingPending(Exchange& ex) { return !ex.TakePending(); }

// Restart, USB control on or off: each has its own wait. Any other argument is
// sent all the same, then dropped.
State RouteUnitControl(Exchange& ex) {
  switch (ex.poll.commandArg) {
    case cat::kArgUsbOff: return State::AwaitUsbOff;
    case cat::kArgUsbOn: return State::AwaitUsbOn;
    case cat::kArgRestart: return State::AwaitRestart;
    default:
      ex.poll.pending = Pending::None;
      ex.commands.SetControlButtons(true);
      return State::StatusIdle;
  }
}

// --- what their answers do

// Shared by the first identification and the restart confirmation.
void IdentificationTail(Exchange& ex, const Frame& f, bool revealTabs) {
  PollState& p = ex.poll;
  p.status0 = f.data[0];
  p.status1 = f.data[1];
  ex.display.ShowIdentification(f, revealTabs);
  ++p.packetCounter;
  p.state = State::ReadParams;
}

void AcceptIdentification(Exchange& ex, const Frame& f) {
  UnitInfo& unit = ex.poll.unit;
  unit.gasKind = f.data[3] >> 2;
  // The combined unit's first channel is its natural gas sensor.
  unit.displayedKind = GasKindOf(unit.gasKind).secondChannel ? cat::kGasCH4 : unit.gasKind;
  unit.version = ((f.data[3] & 0x03) << 8) + f.data[2];
  unit.id4 = f.data[4];
  unit.id5 = f.data[5];
  IdentificationTail(ex, f, true);
}

void AcceptParams(Exchange& ex, const Frame& f) {
  PollState& p = ex.poll;
  // Editing unlocks before the re-read that ends a command is answered. A write
  // posted meanwhile holds the operator's word in the block: this older copy must
  // not replace it, or the old value would be sent. The write reads afresh anyway.
  if (p.pending != Pending::WriteWord && p.pending != Pending::SetSupply) {
    std::copy_n(f.data.begin(), cat::kParamsAnswerLen, p.param.begin());
    ex.ShowParameters();
    if (CommandWatch* w = ex.Watcher()) w->ParametersRead();
  }
  // The re-read after a write tells whether the unit took the word: read from
  // the answer itself, which a write posted meanwhile keeps out of the block.
  if (p.written.answered && p.written.field) {
    const std::uint8_t at = param::Offset(p.written.field->word);
    ex.JudgeWrite(static_cast<std::uint16_t>(f.data[at] | f.data[at + 1] << 8));
  }
  ++p.packetCounter;
  p.state = State::StatusIdle;
}

void AcceptStatus(Exchange& ex, const Frame& f) {
  PollState& p = ex.poll;
  ++p.packetCounter;
  p.status0 = f.data[0];
  p.status1 = f.data[1];
  const bool setUp = !p.firstPass;
  ex.display.ShowStatus(f, setUp);
  if (setUp) {
    ex.commands.SetControlButtons(true);
    ex.commands.ApplyEditingLock();
    p.firstPass = true;
  }
  p.state = State::Idle;
}

void AcceptRestart(Exchange& ex, const Frame& f) {
  ex.poll.pending = Pending::None;
  ex.poll.firstPass = false;  // the next status sets the channels up again
  IdentificationTail(ex, f, false);
}

// Repeats the request until the unit shows the wanted USB control state.
void AcceptUsbControl(Exchange& ex, const Frame& f, bool wantOn) {
  PollState& p = ex.poll;
  p.status0 = f.data[0];
  p.status1 = f.data[1];
  if (((p.status0 & bits::kUsbControl) != 0) == wantOn) {
    ex.display.ShowBaseStatus();
    ex.ReReadFinish();
  } else {
    ex.NoteRefusal();
    p.state = State::UnitControl;
  }
}
void AcceptUsbOn(Exchange& ex, const Frame& f) { AcceptUsbControl(ex, f, true); }
void AcceptUsbOff(Exchange& ex, const Frame& f) { AcceptUsbControl(ex, f, false); }

// The word the answer names is the one stored, whichever was asked for.
void AcceptWordWritten(Exchange& ex, const Frame& f) {
  PollState& p = ex.poll;
  const std::uint8_t word = f.data[2];
  if (word > param::kSetpointWord) {  // names no word the block holds: ask again
    ex.NoteRefusal();
    p.state = State::WriteWord;
    return;
  }
  p.paramOffset = param::Offset(word);
  const auto kept = static_cast<std::uint16_t>(f.data[0] | f.data[1] << 8);
  param::PutWord(p.param, word, kept);
  p.written.answered = true;
  ex.ShowParameters();
  if (CommandWatch* w = ex.Watcher()) w->WordAnswered(word, kept);
  ex.ReReadFinish();
}

void AcceptSupplySetpoint(Exchange& ex, const Frame& f) {
  const auto setpoint = static_cast<std::uint16_t>(f.data[0] | f.data[1] << 8);
  param::PutWord(ex.poll.param, param::kSetpointWord, setpoint);
  ex.poll.confirmedSetpoint = setpoint;
  ex.display.ShowSupplySetpoint(setpoint);
  // The parameter block has no setpoint: this answer is the only word on it.
  ex.JudgeWrite(setpoint);
  if (CommandWatch* w = ex.Watcher()) w->WordAnswered(param::kSetpointWord, setpoint);
  ex.ReReadFinish();
}

// A calibration without error stores its value and clears its channel's "not
// done" mark; INIT marks both calibrations of the channel to be done again.
void AcceptCalibration(Exchange& ex, const Frame& f) {
  param::Block& block = ex.poll.param;
  const std::uint8_t op = f.data[0];
  const std::uint8_t flags = f.data[1];
  if (flags == 0) {
    const param::Channel& ch = param::kChannels[(op & bits::kOpChannelMask) == 0 ? 0 : 1];
    const auto value = static_cast<std::uint16_t>(f.data[2] | f.data[3] << 8);
    switch (op & bits::kOpMask) {
      case bits::kOpZero:
        param::Set(block, ch.zeroNotDone, 0);
        param::Set(block, ch.zeroVoltage, value);
        break;
      case bits::kOpInit:
        param::Set(block, ch.zeroNotDone, 1);
        param::Set(block, ch.spanNotDone, 1);
        break;
      default:
        param::Set(block, ch.spanNotDone, 0);
        param::Set(block, ch.spanVoltage, value);
    }
  }
  ex.display.ShowCalibration(op, flags);
  ex.ShowParameters();
  ex.ReReadFinish();
}

void AcceptEepromRewrite(Exchange& ex, const Frame& f) {
  ex.display.ShowEepromRewrite(f.data[0] != 0);
  ex.ReReadFinish();
}

void AcceptStorageStatus(Exchange& ex, const Frame& f) {
  ex.jobs.referenceYear = static_cast<std::uint16_t>(f.data[10] | f.data[11] << 8);
  ex.jobs.referenceYearKnown = true;
  ex.jobs.bufferRecords = f.data[12] | f.data[13] << 8;
  ex.display.ShowStorageStatus(f);
  ex.poll.state = State::StorageIdle;
}

// clang-format off
constexpr Request kRequests[] = {
    {.state = State::Identify, .command = cat::kUnitControl, .next = State::AwaitIdentify, .data = IdentifyData, .whileClosing = true},
    {.state = State::ReadParams, .command = cat::kReadParams, .next = State::AwaitParams},
    {.state = State::StatusIdle, .command = cat::kReadStatus, .next = State::AwaitStatus, .prepare = NothingPending},
    {.state = State::UnitControl, .command = cat::kUnitControl, .next = State::AwaitUsbOff, .data = ArgumentData, .route = RouteUnitControl},
    {.state = State::WriteWord, .command = cat::kWriteWord, .next = State::AwaitWord, .data = WordData},
    {.state = State::SetSupply, .command = cat::kSetSupply, .next = State::AwaitSupply, .data = SetpointData},
    {.state = State::Calibrate, .command = cat::kCalibrate, .next = State::AwaitCalibration, .data = ArgumentData},
    {.state = State::RewriteEeprom, .command = cat::kRewriteEeprom, .next = State::AwaitEeprom},
    {.state = State::StorageStatus, .command = cat::kStorageStatus, .next = State::AwaitStorageStatus},
};

constexpr Await kAwaits[] = {
    {State::AwaitIdentify, {cat::kUnitControl, cat::kUnitControlAnswerLen}, {}, Count::Frameless, State::Identify, AcceptIdentification},
    {State::AwaitParams, {cat::kReadParams, cat::kParamsAnswerLen}, {}, Count::Frameless, State::ReadParams, AcceptParams},
    {State::AwaitStatus, {cat::kReadStatus, cat::kStatusAnswerLen}, {}, Count::EveryTick, State::StatusIdle, AcceptStatus},
    {State::AwaitRestart, {cat::kUnitControl, cat::kUnitControlAnswerLen}, {}, Count::Frameless, State::UnitControl, AcceptRestart},
    {State::AwaitUsbOn, {cat::kUnitControl, cat::kUnitControlAnswerLen}, {}, Count::Frameless, State::UnitControl, AcceptUsbOn},
    {State::AwaitUsbOff, {cat::kUnitControl, cat::kUnitControlAnswerLen}, {}, Count::Frameless, State::UnitControl, AcceptUsbOff},
    {State::AwaitWord, {cat::kWriteWord, cat::kWriteWordAnswerLen}, {}, Count::Frameless, State::WriteWord, AcceptWordWritten},
    {State::AwaitSupply, {cat::kSupplyAnswer, cat::kSupplyAnswerLen}, {}, Count::Frameless, State::SetSupply, AcceptSupplySetpoint},
    {State::AwaitCalibration, {cat::kCalibrate, cat::kCalibrateAnswerLen}, {}, Count::Frameless, State::Calibrate, AcceptCalibration},
    {State::AwaitEeprom, {cat::kRewriteEeprom, cat::kEepromAnswerLen}, {}, Count::Frameless, State::RewriteEeprom, AcceptEepromRewrite},
    {State::AwaitStorageStatus, {cat::kStorageStatus, cat::kStorageStatusAnswerLen}, {}, Count::EveryTick, State::StorageStatus, AcceptStorageStatus},
};
// clang-format on

}  // namespace

std::span<const Request> BaseRequests() { return kRequests; }
std::span<const Await> BaseAwaits() { return kAwaits; }

}  // namespace zhv
