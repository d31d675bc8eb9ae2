// The storage module of a unit with device type 0x11: a running clock and a
// record buffer that fills at the record period.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace zhv::sim {

// The moment the given number of seconds after start, by the calendar.
LocalDateTime AddSeconds(const LocalDateTime& start, std::int64_t seconds);

// Second bits 0..5, minute 6..11, hour 12..16, day 17..21, month 22..25 and
// the year as an offset from the reference year in bits 26..31.
std::uint32_t PackTimestamp(const LocalDateTime& t, int referenceYear);

class StorageModule {
 public:
  static constexpr int kReferenceYear = 2020;
  static constexpr std::uint32_t kBufferStart = 0x08006000;
  static constexpr std::uint16_t kMaxRecords = 6656;  // 16-byte records up to 0x08020000
  static constexpr std::uint16_t kInitialRecords = 1280;
  static constexpr std::uint32_t kRecordBytes = 16;
  static constexpr LocalDateTime kInitialised{2024, 1, 15, 8, 0, 0};

  explicit StorageModule(const LocalDateTime& clockStart) : start_(clockStart) {}

  // Advances the clock; a record is added every recordPeriodS seconds (0: none).
  void Step(std::uint32_t ms, std::uint16_t recordPeriodS);
  LocalDateTime Now() const;
  std::uint16_t Records() const { return records_; }
  // The 32 bytes of the storage status answer.
  std::vector<std::uint8_t> Status() const;

 private:
  LocalDateTime start_;
  std::uint64_t ms_ = 0;
  std::uint64_t sinceRecordMs_ = 0;
  std::uint16_t records_ = kInitialRecords;
};

}  // namespace zhv::sim
