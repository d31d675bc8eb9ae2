// The storage module of a unit with device type 0x11: a running clock and a
// ring buffer of records that fills at the record period and is read out
// block by block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "sim/record.h"

namespace zhv::sim {

// The moment the given number of seconds after start, by the calendar.
LocalDateTime AddSeconds(const LocalDateTime& start, std::int64_t seconds);

// Second bits 0..5, minute 6..11, hour 12..16, day 17..21, month 22..25 and
// the year as an offset from the reference year in bits 26..31.
std::uint32_t PackTimestamp(const LocalDateTime& t, int referenceYear);

struct StorageOptions {
  std::uint16_t records = 1280;   // records stored at start, up to StorageModule::kMaxRecords
  std::uint8_t blockRecords = 8;  // records per block of the sequential read-out, 1..kMaxBlock
  bool setupAltAnswer = false;    // answer the set-up request with the alternative frame
};

class StorageModule {
 public:
  static constexpr int kReferenceYear = 2020;
  static constexpr std::uint32_t kBufferStart = 0x08006000;
  static constexpr std::uint16_t kMaxRecords = 6656;  // 16-byte records up to 0x08020000
  static constexpr std::uint32_t kRecordBytes = 16;
  static constexpr std::size_t kMaxBlock = 16;        // 5 + 15 * 16 = 245 data bytes, one frame
  static constexpr std::uint16_t kDividerStart = 8192;
  static constexpr std::uint16_t kDividerMin = 6300;
  static constexpr std::uint16_t kDividerMax = 9999;

  // Stored records next to each other in memory: position 0 is the oldest record.
  struct Block {
    std::uint32_t address = 0;  // of the first record
    std::size_t first = 0;      // its position
    std::size_t count = 0;
  };

  // The records present at start were taken one record period apart, the
  // latest at clockStart: MakeRecord(i, clockStart - (records - 1) periods, period).
  StorageModule(const LocalDateTime& clockStart, const StorageOptions& options, std::uint16_t recordPeriodS);

  // Advances the clock; a record is added every recordPeriodS seconds (0: none).
  void Step(std::uint32_t ms, std::uint16_t recordPeriodS);
  LocalDateTime Now() const;
  // Sets the running clock. A moment the packed time stamps cannot hold is
  // refused: the clock runs on and the status reports a date/time failure.
  bool SetClock(const LocalDateTime& t);

  std::size_t Records() const { return count_; }
  // The record at a position, 0 the oldest; throws std::out_of_range beyond the stored ones.
  const RecordBytes& Record(std::size_t position) const;

  // The block the sequential read-out sends next; it stays in the buffer until acknowledged.
  Block NextBlock();
  // Frees the block NextBlock last gave; nothing when it has been freed already.
  void Acknowledge();
  // Up to count (at most kMaxBlock) records stored at and after the address; none when none is.
  Block At(std::uint32_t address, std::size_t count) const;
  // Count, address (4 bytes) and the records: the data of a records frame.
  std::vector<std::uint8_t> BlockData(const Block& block) const;

  // Set-up bits: buffer initialisation and overflow flag reset; others are ignored.
  void Setup(std::uint8_t bits);
  std::uint16_t Divider() const { return divider_; }
  // Clamped to kDividerMin..kDividerMax.
  void SetDivider(std::uint16_t value);

  const StorageOptions& options() const { return options_; }
  // The 32 bytes of the storage status answer.
  std::vector<std::uint8_t> Status() const;

 private:
  LocalDateTime ClockAt(std::int64_t ms) const;
  std::size_t Slot(std::size_t position) const { return (readSlot_ + position) % kMaxRecords; }
  std::uint32_t Address(std::size_t slot) const { return kBufferStart + kRecordBytes * static_cast<std::uint32_t>(slot); }
  // Records from position on, no more than count and not across the buffer's end.
  Block Span(std::size_t position, std::size_t count) const;
  void Store(const LocalDateTime& stamp);

  StorageOptions options_;
  LocalDateTime clockBase_;         // the clock read this at clockBaseMs_
  std::uint64_t clockBaseMs_ = 0;
  std::uint64_t ms_ = 0;
  std::uint64_t sinceRecordMs_ = 0;
  bool clockFailure_ = false;
  std::vector<RecordBytes> slots_;  // the whole buffer memory, one record per slot
  std::size_t readSlot_ = 0;        // slot of the oldest record
  std::size_t count_ = 0;
  std::size_t unacknowledged_ = 0;  // records of the last sequential block
  std::uint64_t sequence_ = 0;      // records taken since the buffer began, for their variety
  bool overflow_ = false;
  LocalDateTime initialised_{};
  std::uint16_t divider_ = kDividerStart;
};

}  // namespace zhv::sim
