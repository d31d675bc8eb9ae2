#include "sim/storage.h"

#include <algorithm>
#include <chrono>

namespace zhv::sim {

namespace {

void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
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
  records_ = static_cast<std::uint16_t>(std::min<std::uint64_t>(kMaxRecords, records_ + due));
}

LocalDateTime StorageModule::Now() const { return AddSeconds(start_, static_cast<std::int64_t>(ms_ / 1000)); }

std::vector<std::uint8_t> StorageModule::Status() const {
  std::vector<std::uint8_t> s(32, 0);
  const LocalDateTime now = Now();
  s[0] = 0;     // clock and buffer healthy
  s[1] = 0x01;  // the date and time below are valid
  s[2] = static_cast<std::uint8_t>(now.day);
  s[3] = static_cast<std::uint8_t>(now.month);
  PutLe(s, 4, static_cast<std::uint32_t>(now.year), 2);
  s[6] = static_cast<std::uint8_t>(now.hour);
  s[7] = static_cast<std::uint8_t>(now.minute);
  s[8] = static_cast<std::uint8_t>(now.second);
  PutLe(s, 10, kReferenceYear, 2);
  PutLe(s, 12, records_, 2);
  PutLe(s, 14, kBufferStart + kRecordBytes * (records_ % kMaxRecords), 4);
  PutLe(s, 18, kBufferStart, 4);
  PutLe(s, 22, PackTimestamp(kInitialised, kReferenceYear), 4);
  PutLe(s, 26, kMaxRecords, 2);
  PutLe(s, 28, kBufferStart, 4);
  return s;
}

}  // namespace zhv::sim
