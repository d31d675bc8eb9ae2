#include "sim/storage.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "protocol/catalogue.h"
#include "protocol/status_bits.h"

namespace zhv::sim {

namespace {

constexpr int kYearsHeld = 64;  // the 6-bit year field of a time stamp

void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

StorageOptions Clamped(StorageOptions o) {
  o.records = std::min(o.records, StorageModule::kMaxRecords);
  o.blockRecords = static_cast<std::uint8_t>(std::clamp<std::size_t>(o.blockRecords, 1, StorageModule::kMaxBlock));
  return o;
}

}  // namespace

LocalDateTime AddSeconds(const LocalDateTime& start, std::int64_t seconds) {
  using namespace std::chrono;
  const year_month_day date{year{start.year}, month{static_cast<unsigned>(start.month)},
                            day{static_cast<unsigned>(start.day)}};
  const auto moment = sys_days{date} + hours{start.hour} + minutes{start.minute} +
                      std::chrono::seconds{start.second} + std::chrono::seconds{seconds};
  const auto days = floor<std::chrono::days>(moment);
  const year_month_day d{days};
  const hh_mm_ss hms{moment - days};
  return {static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
          static_cast<int>(static_cast<unsigned>(d.day())), static_cast<int>(hms.hours().count()),
          static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count())};
}

std::uint32_t PackTimestamp(const LocalDateTime& t, int referenceYear) {
  const auto field = [](int value, unsigned bits) { return static_cast<std::uint32_t>(value) & ((1u << bits) - 1); };
  return field(t.second, 6) | field(t.minute, 6) << 6 | field(t.hour, 5) << 12 | field(t.day, 5) << 17 |
         field(t.month, 4) << 22 | field(t.year - referenceYear, 6) << 26;
}

StorageModule::StorageModule(const LocalDateTime& clockStart, const StorageOptions& options,
                             std::uint16_t recordPeriodS)
    : options_(Clamped(options)), clockBase_(clockStart), slots_(kMaxRecords) {
  const std::int64_t records = options_.records;
  initialised_ = AddSeconds(clockStart, -records * recordPeriodS);
  const LocalDateTime first = AddSeconds(initialised_, recordPeriodS);
  for (std::uint32_t i = 0; i < options_.records; ++i) slots_[i] = MakeRecord(i, first, recordPeriodS);
  count_ = options_.records;
  sequence_ = count_;
  overflow_ = count_ == kMaxRecords;
}

void StorageModule::Step(std::uint32_t ms, std::uint16_t recordPeriodS) {
  ms_ += ms;
  if (recordPeriodS == 0) {
    sinceRecordMs_ = 0;
    return;
  }
  sinceRecordMs_ += ms;
  const std::uint64_t periodMs = std::uint64_t{recordPeriodS} * 1000;
  const std::uint64_t due = sinceRecordMs_ / periodMs;
  sinceRecordMs_ %= periodMs;
  // A long step owes several records; each carries the moment it fell due
  // (after a shorter period is set, possibly one before this step).
  const auto latestMs = static_cast<std::int64_t>(ms_ - sinceRecordMs_);
  for (std::uint64_t k = 0; k < due; ++k) {
    if (count_ == kMaxRecords) {
      overflow_ = true;  // no room: the rest of them are lost
      sequence_ += due - k;
      return;
    }
    Store(ClockAt(latestMs - static_cast<std::int64_t>((due - 1 - k) * periodMs)));
  }
}

void StorageModule::Store(const LocalDateTime& stamp) {
  slots_[Slot(count_)] = MakeRecordAt(sequence_++, stamp);
  if (++count_ == kMaxRecords) overflow_ = true;
}

LocalDateTime StorageModule::ClockAt(std::int64_t ms) const {
  // Whole seconds since the clock was set, rounded down before that moment too.
  const std::int64_t since = ms - static_cast<std::int64_t>(clockBaseMs_);
  return AddSeconds(clockBase_, since >= 0 ? since / 1000 : (since - 999) / 1000);
}

LocalDateTime StorageModule::Now() const { return ClockAt(static_cast<std::int64_t>(ms_)); }

bool StorageModule::SetClock(const LocalDateTime& t) {
  const bool held = t.year >= kReferenceYear && t.year < kReferenceYear + kYearsHeld && t.month >= 1 &&
                    t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
                    t.minute <= 59 && t.second >= 0 && t.second <= 59;
  clockFailure_ = !held;
  if (!held) return false;
  // A day the month lacks runs on into the next month, as the calendar counts.
  clockBase_ = AddSeconds(t, 0);
  clockBaseMs_ = ms_;
  return true;
}

const RecordBytes& StorageModule::Record(std::size_t position) const {
  if (position >= count_) throw std::out_of_range("no record stored at this position");
  return slots_[Slot(position)];
}

StorageModule::Block StorageModule::Span(std::size_t position, std::size_t count) const {
  const std::size_t slot = Slot(position);
  const std::size_t n = std::min({count, count_ - position, std::size_t{kMaxRecords} - slot});
  return {Address(slot), position, n};
}

StorageModule::Block StorageModule::NextBlock() {
  const Block b = Span(0, options_.blockRecords);
  unacknowledged_ = b.count;
  return b;
}

void StorageModule::Acknowledge() {
  readSlot_ = Slot(unacknowledged_);
  count_ -= unacknowledged_;
  unacknowledged_ = 0;
}

StorageModule::Block StorageModule::At(std::uint32_t address, std::size_t count) const {
  if (address < kBufferStart) return {address, 0, 0};
  // The first record that begins at or after the address.
  const std::uint64_t slot = (std::uint64_t{address} - kBufferStart + kRecordBytes - 1) / kRecordBytes;
  if (slot >= kMaxRecords) return {address, 0, 0};
  const std::size_t position = (static_cast<std::size_t>(slot) + kMaxRecords - readSlot_) % kMaxRecords;
  if (position >= count_) return {address, 0, 0};
  return Span(position, std::min(count, kMaxBlock));
}

std::vector<std::uint8_t> StorageModule::BlockData(const Block& b) const {
  std::vector<std::uint8_t> data(rec::kBlockHeaderSize);
  data.reserve(rec::kBlockHeaderSize + rec::kSize * b.count);
  data[0] = static_cast<std::uint8_t>(b.count);
  PutLe(data, 1, b.address, 4);
  for (std::size_t i = 0; i < b.count; ++i) {
    const RecordBytes& r = slots_[Slot(b.first + i)];
    data.insert(data.end(), r.begin(), r.end());
  }
  return data;
}

void StorageModule::Setup(std::uint8_t bits) {
  if (bits & cat::kSetupInitBuffer) {
    readSlot_ = 0;
    count_ = 0;
    unacknowledged_ = 0;
    initialised_ = Now();
  }
  if (bits & cat::kSetupResetOverflow) overflow_ = false;
}

void StorageModule::SetDivider(std::uint16_t value) { divider_ = std::clamp(value, kDividerMin, kDividerMax); }

std::vector<std::uint8_t> StorageModule::Status() const {
  std::vector<std::uint8_t> s(cat::kStorageStatusAnswerLen, 0);
  const LocalDateTime now = Now();
  s[0] = static_cast<std::uint8_t>((clockFailure_ ? bits::kDateFault : 0) | (overflow_ ? bits::kBufferOverflow : 0));
  s[1] = bits::kClockValid;
  s[2] = static_cast<std::uint8_t>(now.day);
  s[3] = static_cast<std::uint8_t>(now.month);
  PutLe(s, 4, static_cast<std::uint32_t>(now.year), 2);
  s[6] = static_cast<std::uint8_t>(now.hour);
  s[7] = static_cast<std::uint8_t>(now.minute);
  s[8] = static_cast<std::uint8_t>(now.second);
  PutLe(s, 10, kReferenceYear, 2);
  PutLe(s, 12, static_cast<std::uint32_t>(count_), 2);
  PutLe(s, 14, Address(Slot(count_)), 4);
  PutLe(s, 18, Address(readSlot_), 4);
  PutLe(s, 22, PackTimestamp(initialised_, kReferenceYear), 4);
  PutLe(s, 26, kMaxRecords, 2);
  PutLe(s, 28, kBufferStart, 4);
  return s;
}

}  // namespace zhv::sim
