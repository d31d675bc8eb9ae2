#include "exchange/steps.h"

#include "app/tool.h"
#include "commands/lock.h"
#include "exchange/catalogue.h"
#include "exchange/silence.h"
#include "exchange/startup.h"
#include "exchange/states.h"
#include "exchange/storage_jobs.h"
#include "link/Vcom_io.h"

namespace zhv {

namespace {

void FillAndSend(Tool& t, std::uint8_t command, std::initializer_list<std::uint8_t> data) {
  ExchangeRecord& r = t.r;
  r.request[2] = command;
  r.request[3] = static_cast<std::uint8_t>(data.size());
  std::size_t i = 4;
  for (std::uint8_t b : data) r.request[i++] = b;
  SendRequest(t);
}

// The common wait once the expected command is known to match and the length is judged.
bool Judge(Tool& t, bool expected, std::int32_t retry, Count count) {
  ExchangeRecord& r = t.r;
  if (count == Count::EveryTick) ++r.timeoutCounter;
  if (r.frameReady == 0) {
    if (count == Count::Frameless) ++r.timeoutCounter;
    if (r.timeoutCounter >= kResponseTimeoutTicks) r.state = retry;
    return false;
  }
  r.frameReady = 0;
  if (expected) {
    NoteAnswer(r);
  } else {
    DropReceived(t);
    r.state = retry;
  }
  return expected;
}

}  // namespace

bool Parked(ExchangeRecord& r) {
  if (r.closing != 1) return false;
  r.state = st::kParked;
  return true;
}

void Send(Tool& t, std::uint8_t command, std::initializer_list<std::uint8_t> data) {
  t.r.timeoutCounter = 0;
  FillAndSend(t, command, data);
}

void SendKeepingTimeout(Tool& t, std::uint8_t command, std::initializer_list<std::uint8_t> data) {
  FillAndSend(t, command, data);
}

bool Await(Tool& t, std::uint8_t command, std::uint8_t length, std::int32_t retry, Count count) {
  const ExchangeRecord& r = t.r;
  // The received fields are read only once a frame is held.
  const bool expected = r.frameReady && r.rxCommand == command && r.rxLength == length;
  return Judge(t, expected, retry, count);
}

bool AwaitAtLeast(Tool& t, std::uint8_t command, std::uint8_t minLength, std::int32_t retry, Count count) {
  const ExchangeRecord& r = t.r;
  const bool expected = r.frameReady && r.rxCommand == command && r.rxLength >= minLength;
  return Judge(t, expected, retry, count);
}

bool AwaitEither(Tool& t, Answer first, Answer second, std::int32_t retry, Count count) {
  const ExchangeRecord& r = t.r;
  auto is = [&r](Answer a) { return r.rxCommand == a.command && r.rxLength == a.length; };
  const bool expected = r.frameReady && (is(first) || is(second));
  return Judge(t, expected, retry, count);
}

bool TakePending(Tool& t) {
  ExchangeRecord& r = t.r;
  if (r.pending != cat::kPendStorage) DropUnstartedReadOut(t);
  if (r.pending == cat::kPendNone) return false;
  r.state = r.pending;
  return true;
}

void CommandFinish(Tool& t) {
  EnableControlButtons(t);
  ApplyEditingLock(t);
  t.r.pending = cat::kPendNone;
  DropUnsentDivider(t);
}

void ReReadFinish(Tool& t) {
  t.r.state = st::kReadParams;
  CommandFinish(t);
}

}  // namespace zhv
