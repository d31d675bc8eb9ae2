// The storage module's jobs: setting the clock, changing the storage set-up and
// reading the record buffer out (one chain, run in that order by one pending
// command), and reading or setting the clock divider. Each ends by asking for
// the storage status, so the tab shows its effect.
#include <algorithm>

#include "exchange/steps.h"
#include "protocol/catalogue.h"
#include "protocol/storage_record.h"

namespace zhv {

namespace {

constexpr std::int32_t kMaxRecordsAt = 16;  // an addressed block; 5 + 15 x 16 fits a frame
constexpr std::int32_t kAddressStep = 16;   // storage bytes per record

std::uint8_t Byte(std::int32_t value, int shift) { return static_cast<std::uint8_t>(value >> shift & 0xFF); }

void EndJob(Exchange& ex) {
  ex.poll.state = State::StorageStatus;
  ex.CommandFinish();
}

void EndReadOut(Exchange& ex, ReadOutEnd how = ReadOutEnd::Complete) {
  ex.poll.state = State::StorageStatus;
  ex.FinishReadOut(how);
  ex.CommandFinish();
}

// --- the clock

// The edits are read when the job runs, so what is sent is what they show then.
bool ReadClock(Exchange& ex) {
  StorageJobs& j = ex.jobs;
  if (!j.clockRequested) {
    ex.poll.state = State::StorageSetup;
    return false;
  }
  const ClockEntry entry = ex.storage.ReadClockEntry();
  if (!entry.valid) {  // the edits show the corrections; nothing is sent
    j.clockRequested = false;
    EndJob(ex);
    return false;
  }
  j.clockPayload = entry.payload;
  return true;
}

Payload ClockData(Exchange& ex) {
  Payload p;
  std::copy(ex.jobs.clockPayload.begin(), ex.jobs.clockPayload.end(), p.bytes.begin());
  p.size = static_cast<std::uint8_t>(ex.jobs.clockPayload.size());
  return p;
}

void AcceptClock(Exchange& ex, const Frame&) {
  ex.poll.timeoutCounter = 0;
  ex.jobs.clockRequested = false;
  EndJob(ex);
}

// --- the storage set-up

bool SetupRequested(Exchange& ex) {
  if (ex.jobs.setupRequested) return true;
  ex.poll.state = State::ReadOut;
  return false;
}

Payload SetupData(Exchange& ex) { return {{ex.storage.SetupByte()}, 1}; }

void AcceptSetup(Exchange& ex, const Frame&) {
  ex.poll.timeoutCounter = 0;
  ex.jobs.setupRequested = false;
  EndJob(ex);
}

// --- the read-out

// The request for the next block, made again for the same block after a
// fallback. Its data is made as it is sent, once closing has not parked the
// machine: a long read-out would flood the trace window, and CheckBox1 says
// whether to spare it.
Payload ReadAtData(Exchange& ex) {
  ReadOutJob& r = ex.jobs.readOut;
  ex.link.SetTraceOff(ex.jobs.spareTrace);
  r.blockRecordCount = std::min(r.recordsRemaining, kMaxRecordsAt);
  const std::int32_t a = r.nextAddress;
  return {{Byte(r.blockRecordCount, 0), Byte(a, 0), Byte(a, 8), Byte(a, 16), Byte(a, 24)}, 5};
}

Payload ReadNextData(Exchange& ex) {
  ex.link.SetTraceOff(ex.jobs.spareTrace);
  return {};
}

// clang-format off
constexpr Request kReadAt{.state = State::ReadOut, .command = cat::kReadAt, .next = State::AwaitReadAt, .data = ReadAtData};
constexpr Request kReadNext{.state = State::ReadOut, .command = cat::kReadNext, .next = State::AwaitReadNext, .data = ReadNextData};
// clang-format on

void RequestBlock(Exchange& ex) {
  ex.poll.timeoutCounter = 0;
  ex.poll.state = State::ReadOut;
  SendRequest(ex, ex.jobs.readOut.addressed ? kReadAt : kReadNext);
}

bool StartReadOut(Exchange& ex) {
  ReadOutJob& r = ex.jobs.readOut;
  if (!r.requested) {  // the chain had no read-out to run
    EndReadOut(ex);
    return false;
  }
  // Stopped, and no block in hand (or it never came): nothing more is asked for.
  if (r.stopRequested) {
    EndReadOut(ex, ReadOutEnd::Stopped);
    return false;
  }
  if (!r.underWay) {
    if (r.recordsRequested <= 0 && !r.whole) {
      EndReadOut(ex);
      return false;
    }
    // Ask for the storage status first: it gives the year the records count from.
    // The chain comes back here with the command still pending.
    if (!ex.jobs.referenceYearKnown) {
      ex.poll.state = State::StorageStatus;
      return false;
    }
    r.recordsRemaining = r.recordsRequested;
    r.nextAddress = r.startAddress;
    r.underWay = true;
  }
  RequestBlock(ex);
  return false;
}

// Writes the block's records from `first` on, then counts what was written:
// records the count names but the frame did not carry are neither counted nor
// skipped over. A failed write ends the read-out with nothing acknowledged.
bool TakeBlock(Exchange& ex, const Frame& block, std::int32_t first = 0) {
  ReadOutJob& r = ex.jobs.readOut;
  const BlockWritten written = ex.storage.WriteBlock(block.Data(), first, r.blockRecordCount);
  r.recordsRemaining -= written.records;
  if (written.failed) {
    // Records of a sequential block on disk, the block not freed: they come again.
    if (!r.addressed && written.records > 0) r.unconfirmed = true;
    EndReadOut(ex, ReadOutEnd::WriteFailed);
    return false;
  }
  r.blockRecordCount = written.records;
  return true;
}

void NextBlockOrEnd(Exchange& ex, bool more) {
  if (!more) {
    EndReadOut(ex);
  } else if (ex.jobs.readOut.stopRequested) {
    EndReadOut(ex, ReadOutEnd::Stopped);
  } else {
    RequestBlock(ex);
  }
}

// How many records of a block are on disk already: those of the unconfirmed
// block when the unit sends it again, as it does when it missed the
// acknowledgement (it may have grown by records stored meanwhile).
std::int32_t RecordsSentAgain(const ReadOutJob& r, const Frame& block) {
  const Frame& last = r.unconfirmedBlock;
  constexpr std::size_t kFirstRecordEnd = rec::kBlockHeaderSize + rec::kSize;
  if (!r.unconfirmed || block.length < kFirstRecordEnd || last.length < kFirstRecordEnd) return 0;
  // The address and the first record: a later block starts elsewhere, and later.
  if (!std::equal(block.data.begin() + 1, block.data.begin() + kFirstRecordEnd, last.data.begin() + 1)) return 0;
  return r.unconfirmedRecords;
}

// A count of 0 announces no records: the read-out is complete.
void AcceptAnnouncement(Exchange& ex, const Frame& f, State next) {
  ex.poll.timeoutCounter = 0;
  ex.jobs.readOut.blockRecordCount = f.data[0];
  ex.poll.state = next;
  if (f.data[0] == 0) EndReadOut(ex);
}
void AcceptReadAt(Exchange& ex, const Frame& f) { AcceptAnnouncement(ex, f, State::AwaitRecordsAt); }
void AcceptReadNext(Exchange& ex, const Frame& f) { AcceptAnnouncement(ex, f, State::AwaitRecordsNext); }

void AcceptRecordsAt(Exchange& ex, const Frame& f) {
  ReadOutJob& r = ex.jobs.readOut;
  ex.poll.timeoutCounter = 0;
  r.blockRecordCount = f.data[0];
  if (!TakeBlock(ex, f)) return;
  r.nextAddress += kAddressStep * r.blockRecordCount;
  NextBlockOrEnd(ex, r.recordsRemaining > 0);
}

// The acknowledgement frees the block in the unit: it is sent only once the
// block is on disk.
void AcceptRecordsNext(Exchange& ex, const Frame& f) {
  ReadOutJob& r = ex.jobs.readOut;
  ex.poll.timeoutCounter = 0;
  r.blockRecordCount = f.data[0];
  const std::int32_t onDisk = RecordsSentAgain(r, f);
  if (!TakeBlock(ex, f, onDisk)) return;
  r.unconfirmedBlock = f;
  r.unconfirmedRecords = onDisk + r.blockRecordCount;
  r.unconfirmed = true;
  ex.poll.state = State::AckBlock;
}

void AcceptAcknowledgement(Exchange& ex, const Frame&) {
  ReadOutJob& r = ex.jobs.readOut;
  ex.poll.timeoutCounter = 0;
  r.unconfirmed = false;
  NextBlockOrEnd(ex, r.recordsRemaining > 0 || r.whole);
}

// --- the divider

bool DividerAsked(Exchange& ex) {
  StorageJobs& j = ex.jobs;
  if (j.dividerRead || j.dividerWrite) return true;
  ex.poll.timeoutCounter = 0;
  EndJob(ex);
  return false;
}

Payload DividerData(Exchange& ex) { return {{Byte(ex.jobs.divider, 0), Byte(ex.jobs.divider, 8)}, 2}; }

// Reading and writing differ only in the value sent: the unit's answer is shown either way.
void AcceptDivider(Exchange& ex, const Frame& f) {
  const std::int32_t divider = f.data[0] + 256 * f.data[1];
  ex.display.ShowDivider(divider);
  if (CommandWatch* w = ex.Watcher()) w->DividerAnswered(divider);
  ex.poll.timeoutCounter = 0;
  ex.jobs.dividerRead = ex.jobs.dividerWrite = false;
  ex.poll.state = State::StorageStatus;
  ex.commands.DividerSettled();
  ex.CommandFinish();
}

// clang-format off
constexpr Request kRequests[] = {
    {.state = State::SetClock, .command = cat::kSetClock, .next = State::AwaitClock, .data = ClockData, .prepare = ReadClock},
    {.state = State::StorageSetup, .command = cat::kStorageSetup, .next = State::AwaitSetup, .data = SetupData, .prepare = SetupRequested},
    // The block request itself is kReadAt or kReadNext, as the read-out is addressed or not.
    {.state = State::ReadOut, .command = cat::kReadNext, .next = State::AwaitReadNext, .prepare = StartReadOut},
    {.state = State::AckBlock, .command = cat::kAckBlock, .next = State::AwaitAck},
    {.state = State::Divider, .command = cat::kClockDivider, .next = State::AwaitDivider, .data = DividerData, .prepare = DividerAsked},
};

constexpr Await kAwaits[] = {
    {State::AwaitClock, {cat::kSetClock, cat::kSetClockAnswerLen}, {}, Count::EveryTick, State::SetClock, AcceptClock},
    {State::AwaitSetup, {cat::kStorageSetup, cat::kStorageSetupAnswerLen},
     Answer{cat::kStorageSetupAltAnswer, cat::kStorageSetupAltAnswerLen}, Count::EveryTick, State::StorageSetup, AcceptSetup},
    {State::AwaitReadAt, {cat::kReadAt, cat::kReadAtAnswerLen}, {}, Count::EveryTick, State::ReadOut, AcceptReadAt},
    {State::AwaitRecordsAt, {cat::kRecordsAt, cat::kRecordsMinLen, Match::AtLeast}, {}, Count::EveryTick, State::ReadOut, AcceptRecordsAt},
    {State::AwaitReadNext, {cat::kReadNext, cat::kReadNextAnswerLen}, {}, Count::EveryTick, State::ReadOut, AcceptReadNext},
    {State::AwaitRecordsNext, {cat::kRecordsNext, cat::kRecordsMinLen, Match::AtLeast}, {}, Count::EveryTick, State::ReadOut, AcceptRecordsNext},
    // Unanswered, the acknowledgement is not sent again: each one frees a block in
    // the unit, and the unit may have freed this one already. The next block is
    // asked for instead; a unit that missed it sends this one again.
    {State::AwaitAck, {cat::kAckBlock, cat::kAckAnswerLen}, {}, Count::EveryTick, State::ReadOut, AcceptAcknowledgement},
    {State::AwaitDivider, {cat::kClockDivider, cat::kClockDividerAnswerLen}, {}, Count::EveryTick, State::Divider, AcceptDivider},
};
// clang-format on

}  // namespace

std::span<const Request> StorageRequests() { return kRequests; }
std::span<const Await> StorageAwaits() { return kAwaits; }

}  // namespace zhv
