// The storage module's jobs, tick by tick.
#include "exchange/storage_jobs.h"

#include <algorithm>
#include <utility>

#include "app/tool.h"
#include "decode/ServTKE.h"
#include "exchange/catalogue.h"
#include "exchange/states.h"
#include "exchange/steps.h"
#include "link/Vcom_io.h"
#include "storage/export.h"
#include "storage/readout.h"

namespace zhv {

namespace {

constexpr std::int32_t kMaxRecordsAt = 16;  // an addressed block; 5 + 15 x 16 fits a frame
constexpr std::int32_t kAddressStep = 16;   // storage bytes per record
constexpr std::uint8_t kReadOutRunning = cat::kReadRequested | cat::kReadUnderWay;

void Clear(std::uint8_t& flags, std::uint8_t bits) { flags = static_cast<std::uint8_t>(flags & ~bits); }

std::uint8_t Byte(std::int32_t value, int shift) { return static_cast<std::uint8_t>(value >> shift & 0xFF); }

// Every job ends by asking for the storage status, so the tab shows its effect.
void EndJob(Tool& t) {
  t.r.state = st::kStorageStatus;
  CommandFinish(t);
}

// The end of a read-out, however it came: the file closed (if one was opened),
// the file buttons back, the read-out no longer requested, the trace on again.
void FinishReadOut(Tool& t, ReadOutEnd how) {
  ExchangeRecord& r = t.r;
  if (r.readOutFlags & kReadOutRunning) {
    // A block whose acknowledgement went unanswered has arrived all the same: keep it.
    if (how == ReadOutEnd::Interrupted && r.heldBlockLength > 0 &&
        WriteExportBlock(t, r.heldBlock.data(), r.heldBlockLength, r.blockRecordCount) < 0)
      how = ReadOutEnd::WriteFailed;
    CloseExport(t, how);
  }
  r.heldBlockLength = 0;
  SetFileButtons(t, true);
  Clear(r.readOutFlags, kReadOutRunning);
  SetTraceOff(t, 0);
}

void EndReadOut(Tool& t, ReadOutEnd how = ReadOutEnd::Complete) {
  t.r.state = st::kStorageStatus;
  FinishReadOut(t, how);
  CommandFinish(t);
}

void SetClock(Tool& t) {
  ExchangeRecord& r = t.r;
  if (!(r.clockSetFlags & cat::kClockSetRequested)) {
    r.state = st::kStorageSetup;
    return;
  }
  ReadClockEntry(t);
  if (r.clockSetFlags & cat::kClockEntryInvalid) {  // the edits show the corrections; nothing is sent
    Clear(r.clockSetFlags, cat::kJobBits);
    EndJob(t);
    return;
  }
  if (Parked(r)) return;
  const auto& p = r.clockPayload;
  Send(t, cat::kSetClock, {p[0], p[1], p[2], p[3], p[4], p[5], p[6]});
  r.state = st::kAwaitClock;
}

void ChangeSetup(Tool& t) {
  ExchangeRecord& r = t.r;
  if (!(r.storageSetupFlags & cat::kSetupRequested)) {
    r.state = st::kReadOut;
    return;
  }
  if (Parked(r)) return;
  Send(t, cat::kStorageSetup, {StorageSetupByte(t)});
  r.state = st::kAwaitSetup;
}

// The request for the next block, made again for the same block after a fallback.
void RequestBlock(Tool& t) {
  ExchangeRecord& r = t.r;
  r.timeoutCounter = 0;
  if (Parked(r)) return;
  // A long read-out would flood the trace window; CheckBox1 says whether to spare it.
  SetTraceOff(t, r.readOutTraceSetting);
  if (r.readOutFlags & cat::kReadAddressed) {
    r.blockRecordCount = std::min(r.recordsRemaining, kMaxRecordsAt);
    const std::int32_t a = r.nextAddress;
    Send(t, cat::kReadAt,
         {Byte(r.blockRecordCount, 0), Byte(a, 0), Byte(a, 8), Byte(a, 16), Byte(a, 24)});
    r.state = st::kAwaitReadAt;
  } else {
    Send(t, cat::kReadNext, {});
    r.state = st::kAwaitReadNext;
  }
}

void StartReadOut(Tool& t) {
  ExchangeRecord& r = t.r;
  if (!(r.readOutFlags & cat::kReadRequested)) {  // the chain had no read-out to run
    EndReadOut(t);
    return;
  }
  if (!(r.readOutFlags & cat::kReadUnderWay)) {
    if (r.recordsRequested <= 0 && !(r.readOutFlags & cat::kReadWhole)) {
      EndReadOut(t);
      return;
    }
    // Records date themselves from the storage status's reference year: ask for
    // it first; the chain comes back here with the command still pending.
    if (!r.referenceYearKnown) {
      r.state = st::kStorageStatus;
      return;
    }
    r.recordsRemaining = r.recordsRequested;
    r.nextAddress = r.startAddress;
    r.readOutFlags |= cat::kReadUnderWay;
  }
  RequestBlock(t);
}

// Writes the block's records, then counts what was written: records the count
// names but the frame did not carry are neither counted nor skipped over.
bool TakeBlock(Tool& t, const Bytes256& data, std::uint8_t length) {
  ExchangeRecord& r = t.r;
  const std::int32_t written = WriteExportBlock(t, data.data(), length, r.blockRecordCount);
  if (written < 0) {
    EndReadOut(t, ReadOutEnd::WriteFailed);
    return false;
  }
  r.blockRecordCount = written;
  r.recordsRemaining -= written;
  return true;
}

void NextBlockOrEnd(Tool& t, bool more) {
  if (more) {
    t.r.state = st::kReadOut;
    RequestBlock(t);
  } else {
    EndReadOut(t);
  }
}

void AcceptRecordsAt(Tool& t) {
  ExchangeRecord& r = t.r;
  r.timeoutCounter = 0;
  r.blockRecordCount = r.rxData[0];
  if (!TakeBlock(t, r.rxData, r.rxLength)) return;
  r.nextAddress += kAddressStep * r.blockRecordCount;
  NextBlockOrEnd(t, r.recordsRemaining > 0);
}

void AcceptRecordsNext(Tool& t) {
  ExchangeRecord& r = t.r;
  r.timeoutCounter = 0;
  r.blockRecordCount = r.rxData[0];
  // Written only once the acknowledgement is answered; until then a stray frame
  // may overwrite the received data, so the block waits here.
  std::copy_n(r.rxData.begin(), r.rxLength, r.heldBlock.begin());
  r.heldBlockLength = r.rxLength;
  r.state = st::kAckBlock;
}

void AcceptAcknowledgement(Tool& t) {
  ExchangeRecord& r = t.r;
  r.timeoutCounter = 0;
  if (!TakeBlock(t, r.heldBlock, std::exchange(r.heldBlockLength, 0))) return;
  NextBlockOrEnd(t, r.recordsRemaining > 0 || (r.readOutFlags & cat::kReadWhole));
}

// A count of 0 announces no records: the read-out is complete.
void AcceptAnnouncement(Tool& t, std::int32_t next) {
  ExchangeRecord& r = t.r;
  r.timeoutCounter = 0;
  r.blockRecordCount = r.rxData[0];
  r.state = next;
  if (r.blockRecordCount == 0) EndReadOut(t);
}

void RequestDivider(Tool& t) {
  ExchangeRecord& r = t.r;
  if (!(r.dividerFlags & (cat::kDividerRead | cat::kDividerWrite))) {
    r.timeoutCounter = 0;
    Clear(r.dividerFlags, cat::kJobBits);
    EndJob(t);
    return;
  }
  if (Parked(r)) return;
  Send(t, cat::kClockDivider, {Byte(r.clockDivider, 0), Byte(r.clockDivider, 8)});
  r.state = st::kAwaitDivider;
}

void AcceptDivider(Tool& t) {
  ExchangeRecord& r = t.r;
  t.f.Edit1024.SetText(FormatValue(4, r.rxData[0] + 256 * r.rxData[1]));
  r.timeoutCounter = 0;
  Clear(r.dividerFlags, cat::kJobBits);
  r.state = st::kStorageStatus;
  t.f.Button10242.SetEnabled(true);
  CommandFinish(t);
}

}  // namespace

std::uint8_t StorageSetupByte(const Tool& t) {
  std::uint8_t bits = 0;
  if (t.f.CheckBox10236.Checked()) bits |= cat::kSetupInitBuffer;
  if (t.f.CheckBox10235.Checked()) bits |= cat::kSetupResetOverflow;
  return bits;
}

void StorageJobTick(Tool& t) {
  ExchangeRecord& r = t.r;
  switch (r.state) {
    case st::kSetClock:
      SetClock(t);
      break;
    case st::kAwaitClock:
      if (Await(t, cat::kSetClock, cat::kSetClockAnswerLen, st::kSetClock, Count::EveryTick)) {
        r.timeoutCounter = 0;
        Clear(r.clockSetFlags, cat::kJobBits);
        EndJob(t);
      }
      break;
    case st::kStorageSetup:
      ChangeSetup(t);
      break;
    case st::kAwaitSetup:
      if (AwaitEither(t, {cat::kStorageSetup, cat::kStorageSetupAnswerLen},
                      {cat::kStorageSetupAltAnswer, cat::kStorageSetupAltAnswerLen}, st::kStorageSetup,
                      Count::EveryTick)) {
        r.timeoutCounter = 0;
        Clear(r.storageSetupFlags, cat::kJobBits);
        EndJob(t);
      }
      break;
    case st::kReadOut:
      StartReadOut(t);
      break;
    case st::kAwaitReadAt:
      if (Await(t, cat::kReadAt, cat::kReadAtAnswerLen, st::kReadOut, Count::EveryTick))
        AcceptAnnouncement(t, st::kAwaitRecordsAt);
      break;
    case st::kAwaitRecordsAt:
      if (AwaitAtLeast(t, cat::kRecordsAt, cat::kRecordsMinLen, st::kReadOut, Count::EveryTick))
        AcceptRecordsAt(t);
      break;
    case st::kAwaitReadNext:
      if (Await(t, cat::kReadNext, cat::kReadNextAnswerLen, st::kReadOut, Count::EveryTick))
        AcceptAnnouncement(t, st::kAwaitRecordsNext);
      break;
    case st::kAwaitRecordsNext:
      if (AwaitAtLeast(t, cat::kRecordsNext, cat::kRecordsMinLen, st::kReadOut, Count::EveryTick))
        AcceptRecordsNext(t);
      break;
    case st::kAckBlock:
      if (Parked(r)) break;
      SendKeepingTimeout(t, cat::kAckBlock, {});  // the block's arrival has just reset it
      r.state = st::kAwaitAck;
      break;
    case st::kAwaitAck:
      if (Await(t, cat::kAckBlock, cat::kAckAnswerLen, st::kAckBlock, Count::EveryTick))
        AcceptAcknowledgement(t);
      break;
    case st::kDivider:
      RequestDivider(t);
      break;
    case st::kAwaitDivider:
      if (Await(t, cat::kClockDivider, cat::kClockDividerAnswerLen, st::kDivider, Count::EveryTick))
        AcceptDivider(t);
      break;
    default:
      break;
  }
}

void DropUnsentDivider(Tool& t) {
  if (!(t.r.dividerFlags & cat::kJobBits)) return;  // the divider job clears them itself
  Clear(t.r.dividerFlags, cat::kJobBits);
  t.f.Button10242.SetEnabled(true);
}

void DropUnstartedReadOut(Tool& t) {
  if ((t.r.readOutFlags & kReadOutRunning) == cat::kReadRequested) FinishReadOut(t, ReadOutEnd::Interrupted);
}

void DropStorageJobs(Tool& t) {
  ExchangeRecord& r = t.r;
  FinishReadOut(t, ReadOutEnd::Interrupted);
  Clear(r.clockSetFlags, cat::kJobBits);
  Clear(r.storageSetupFlags, cat::kJobBits);
  // "Обновить" waits for the divider answer, which will not come now.
  Clear(r.dividerFlags, cat::kJobBits);
  t.f.Button10242.SetEnabled(true);
}

}  // namespace zhv
