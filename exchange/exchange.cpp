#include "exchange/exchange.h"

#include <algorithm>
#include <utility>

#include "exchange/steps.h"
#include "protocol/catalogue.h"
#include "protocol/gas_kinds.h"

namespace zhv {

namespace {

constexpr int kStatusPeriodTicks = 100;
constexpr int kStorageOffsetTicks = 50;
// Beyond days of waiting the count stops rather than wraps.
constexpr int kQuietCapMs = 1'000'000'000;

// The common wait: true when the held frame is the expected answer (it is
// consumed); falls back on a wrong frame or on the 20th tick without one. A
// wrong frame is a stale answer to a request given up on: what else has arrived
// by then is dropped with it, or each such answer would fail the next wait in
// turn and every request after it would be sent twice.
bool Judge(Exchange& ex, const Await& a) {
  PollState& p = ex.poll;
  Link& link = ex.link;
  const Frame& f = link.Received();
  const bool expected = link.FrameReady() && (a.answer.Fits(f) || (a.alternative && a.alternative->Fits(f)));
  if (a.count == Count::EveryTick) ++p.timeoutCounter;
  if (!link.FrameReady()) {
    if (a.count == Count::Frameless) ++p.timeoutCounter;
    if (p.timeoutCounter >= kResponseTimeoutTicks) p.state = a.fallback;
    return false;
  }
  link.TakeFrame();
  if (expected) {
    ex.silence.answerAccepted = true;
  } else {
    link.DropReceived();
    p.state = a.fallback;
  }
  return expected;
}

// States 6 and 21 count the time between status polls.
void CountToNextPoll(Exchange& ex, State idle) {
  PollState& p = ex.poll;
  if (ex.TakePending() || ex.Parked()) return;
  ++p.timeoutCounter;
  if (idle == State::StorageIdle) {
    if (p.timeoutCounter >= kStorageOffsetTicks) p.state = State::StatusIdle;
  } else if (ex.link.Received().type == cat::kTypeStorage) {
    // Half-way between two status polls, the storage module's status.
    if (p.timeoutCounter >= kStorageOffsetTicks) p.state = State::StorageStatus;
  } else if (p.timeoutCounter >= kStatusPeriodTicks) {
    p.state = State::StatusIdle;
  }
}

}  // namespace

void SendRequest(Exchange& ex, const Request& r) {
  PollState& p = ex.poll;
  if (r.prepare && !r.prepare(ex)) return;
  if (!r.whileClosing && ex.Parked()) return;
  p.timeoutCounter = 0;
  const Payload payload = r.data ? r.data(ex) : Payload{};
  ex.link.Send(r.command, std::span<const std::uint8_t>(payload.bytes.data(), payload.size));
  p.state = r.route ? r.route(ex) : r.next;
}

const Request* RequestOf(State state) {
  for (auto rows : {BaseRequests(), StorageRequests()})
    for (const Request& r : rows)
      if (r.state == state) return &r;
  return nullptr;
}

const Await* AwaitOf(State state) {
  // Looked up every tick: a table by state, made once.
  static const std::array<const Await*, kStateCount> byState = [] {
    std::array<const Await*, kStateCount> table{};
    for (auto rows : {BaseAwaits(), StorageAwaits()})
      for (const Await& a : rows) table[static_cast<std::size_t>(a.state)] = &a;
    return table;
  }();
  return byState[static_cast<std::size_t>(state)];
}

Exchange::Exchange(Link& l, UnitDisplay& d, CommandEvents& c, StorageEvents& s)
    : link(l), display(d), commands(c), storage(s) {}

void Exchange::Tick() {
  if (const Await* a = AwaitOf(poll.state)) {
    if (Judge(*this, *a)) a->accept(*this, link.Received());
    return;
  }
  switch (poll.state) {
    case State::Idle:
    case State::StorageIdle:
      CountToNextPoll(*this, poll.state);
      return;
    case State::Parked:
      link.SetTraceOff(false);
      return;
    default:
      if (const Request* r = RequestOf(poll.state)) SendRequest(*this, *r);
  }
}

void Exchange::Reset() {
  poll.state = State::Identify;
  poll.firstPass = false;
  poll.status0 = 0;
  poll.status1 = 0;
  poll.commandArg = 0;
  jobs.referenceYearKnown = false;  // the next unit's years may count from another year
  // A command left over from a lost connection must not run on the next unit.
  poll.pending = Pending::None;
  poll.writing = nullptr;
  poll.written = {};
  poll.confirmedSetpoint.reset();  // another unit may hold another one
  DropStorageJobs();
  commands.SetControlButtons(false);
  commands.ApplyEditingLock();
  display.Reset();
  silence = {};
}

bool Exchange::Parked() {
  if (!poll.closing) return false;
  poll.state = State::Parked;
  return true;
}

bool Exchange::TakePending() {
  // A requested read-out that has lost the slot before it began (another command
  // took it, or a running command's finish cleared it) will not run.
  if (poll.pending != Pending::Storage && jobs.readOut.requested && !jobs.readOut.underWay)
    FinishReadOut(ReadOutEnd::Interrupted);
  if (poll.pending == Pending::None) return false;
  poll.state = FirstState(poll.pending);
  return true;
}

void Exchange::CommandFinish() {
  poll.pending = Pending::None;
  commands.SetControlButtons(true);
  commands.ApplyEditingLock();
  // "Обновить" is not locked, so it can post over a command under way, whose
  // finish has now dropped the divider request: the button must come back.
  if (jobs.dividerRead || jobs.dividerWrite) {
    jobs.dividerRead = jobs.dividerWrite = false;
    commands.DividerSettled();
  }
}

void Exchange::ReReadFinish() {
  poll.state = State::ReadParams;
  CommandFinish();
}

void Exchange::NoteRefusal() {
  silence.answerAccepted = false;
  silence.heard = true;
}

void Exchange::ShowParameters() {
  param::Block& p = poll.param;
  const GasKind& kind = GasKindOf(poll.unit.gasKind);
  // The threshold is 0..127; a larger byte is corrected in the block itself, so
  // a later write of word 0x00 sends the corrected value.
  if (kind.temperatureSensor)
    param::Set(p, param::kTemperatureThreshold,
               std::min<std::uint16_t>(param::Get(p, param::kTemperatureThreshold),
                                       static_cast<std::uint16_t>(param::kTemperatureThreshold.max)));
  // The parameter answer has no setpoint: the tool holds the one the unit last
  // confirmed, and the kind's nominal one until it has confirmed any.
  param::PutWord(p, param::kSetpointWord,
                 poll.confirmedSetpoint.value_or(
                     static_cast<std::uint16_t>(GasKindOf(poll.unit.displayedKind).supplySetpoint)));
  display.ShowParameters();
}

void Exchange::FinishReadOut(ReadOutEnd how) {
  ReadOutJob& job = jobs.readOut;
  if (ReadOutRunning()) storage.CloseReadOut(how);  // it tells of a block left unconfirmed
  job.unconfirmed = job.stopRequested = job.commandRefused = false;
  storage.ReadOutOver();
  job.requested = job.underWay = false;
  link.SetTraceOff(false);
}

bool Exchange::CancelCommand() {
  if (poll.pending == Pending::None) return false;
  // A read-out given up closes its file with what it holds; the clock, set-up
  // and divider requests go with it.
  if (poll.pending == Pending::Storage || poll.pending == Pending::ClockDivider || ReadOutRunning())
    DropStorageJobs();
  poll.written = {};
  // The block may hold what was asked rather than what the unit has: read it afresh.
  poll.state = State::ReadParams;
  poll.timeoutCounter = 0;
  CommandFinish();
  return true;
}

void Exchange::NoteWordSent(std::uint16_t word) { poll.written = {poll.writing, word, false}; }

void Exchange::JudgeWrite(std::uint16_t held) {
  const WriteCheck check = std::exchange(poll.written, {});
  if (check.field) display.ShowWriteVerdict(*check.field, check.sent, held);
}

void Exchange::DropStorageJobs() {
  FinishReadOut(ReadOutEnd::Interrupted);
  jobs.clockRequested = false;
  jobs.setupRequested = false;
  // "Обновить" waits for the divider answer, which will not come now.
  jobs.dividerRead = jobs.dividerWrite = false;
  commands.DividerSettled();
}

void Exchange::WatchSilence(bool exchanging, int tickMs) {
  if (silence.answerAccepted) {
    silence = {};
    display.HideSilence();
    return;
  }
  const int ms = std::max(1, tickMs);
  silence.unheardMs = std::exchange(silence.heard, false) ? 0 : std::min(silence.unheardMs + ms, kHeardLatelyMs);
  if (!exchanging || poll.closing || poll.state == State::Parked) return;
  silence.quietMs = std::min(silence.quietMs + ms, kQuietCapMs);
  if (silence.quietMs >= kSilenceNoticeMs)
    display.ShowSilence(silence.unheardMs < kHeardLatelyMs, silence.quietMs / 1000);
}

}  // namespace zhv
