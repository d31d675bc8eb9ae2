#include "sim/storage.h"

#include <gtest/gtest.h>

#include "sim/unit.h"
#include "tests/sim/wire.h"

namespace zhv::sim::test {
namespace {

bool Same(const LocalDateTime& a, const LocalDateTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
         a.second == b.second;
}

TEST(StorageClock, RunsOverMonthsAndLeapDays) {
  EXPECT_TRUE(Same(AddSeconds({2024, 2, 28, 23, 59, 59}, 1), {2024, 2, 29, 0, 0, 0}));
  EXPECT_TRUE(Same(AddSeconds({2023, 2, 28, 23, 59, 59}, 1), {2023, 3, 1, 0, 0, 0}));
  EXPECT_TRUE(Same(AddSeconds({2024, 12, 31, 23, 0, 0}, 3600), {2025, 1, 1, 0, 0, 0}));
  EXPECT_TRUE(Same(AddSeconds({2024, 5, 17, 13, 45, 0}, 61), {2024, 5, 17, 13, 46, 1}));
}

TEST(StorageClock, PacksTimestampsFieldByField) {
  EXPECT_EQ(PackTimestamp({2024, 2, 2, 8, 41, 31}, 2020), 0x10848A5Fu);
  EXPECT_EQ(PackTimestamp({2083, 12, 31, 23, 59, 59}, 2020), 0xFF3F7EFBu);
}

TEST(StorageStatus, ClockRunsWithTheUnit) {
  Options o;
  o.clockStart = {2024, 5, 17, 13, 45, 0};
  Unit unit(o);
  auto s = Ask(unit, 0x4C)->data;
  EXPECT_EQ(s[1] & 0x01, 0x01);
  EXPECT_EQ(s[2], 17);
  EXPECT_EQ(s[3], 5);
  EXPECT_EQ(Word(s, 4), 2024);
  EXPECT_EQ(s[6], 13);
  EXPECT_EQ(s[7], 45);
  EXPECT_EQ(s[8], 0);
  for (int i = 0; i < 61; ++i) unit.Step(1000);
  s = Ask(unit, 0x4C)->data;
  EXPECT_EQ(s[7], 46);
  EXPECT_EQ(s[8], 1);
  unit.Step(999);
  EXPECT_EQ(Ask(unit, 0x4C)->data[8], 1) << "whole seconds only";
  unit.Step(1);
  EXPECT_EQ(Ask(unit, 0x4C)->data[8], 2);
}

TEST(StorageStatus, BufferFieldsAreConsistent) {
  Unit unit;
  const auto s = Ask(unit, 0x4C)->data;
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(Word(s, 10), 2020);
  const int records = Word(s, 12);
  const std::uint32_t start = Le32(s, 28);
  EXPECT_EQ(start, 0x08006000u);
  EXPECT_EQ(Le32(s, 14), start + 16u * static_cast<std::uint32_t>(records));
  EXPECT_EQ(Le32(s, 14), 0x0800B000u);
  EXPECT_EQ(Le32(s, 18), start);
  EXPECT_EQ(Le32(s, 22), PackTimestamp({2024, 5, 16, 16, 25, 0}, 2020)) << "a minute before the oldest record";
  EXPECT_GT(Word(s, 26), records);
  EXPECT_LE(start + 16u * Word(s, 26), 0x08020000u);
}

TEST(StorageStatus, RecordsFollowTheRecordPeriod) {
  Unit unit;
  Ask(unit, 0x90, {10, 0x00, 0x0B});  // a record every 10 s
  const int first = Word(Ask(unit, 0x4C)->data, 12);
  unit.Step(9999);
  EXPECT_EQ(Word(Ask(unit, 0x4C)->data, 12), first);
  unit.Step(1);
  EXPECT_EQ(Word(Ask(unit, 0x4C)->data, 12), first + 1);
  unit.Step(35000);
  EXPECT_EQ(Word(Ask(unit, 0x4C)->data, 12), first + 4);

  Ask(unit, 0x90, {0x00, 0x30, 0x0B});  // period 0, flag bits only: no recording
  unit.Step(100000);
  EXPECT_EQ(Word(Ask(unit, 0x4C)->data, 12), first + 4);

  Ask(unit, 0x90, {1, 0x00, 0x0B});
  unit.Step(0xFFFFFFFFu);  // far more than fit
  const auto s = Ask(unit, 0x4C)->data;
  EXPECT_EQ(Word(s, 12), Word(s, 26)) << "a full buffer stops growing";
  EXPECT_EQ(Le32(s, 14), Le32(s, 28)) << "the write pointer wraps to the start";
}

}  // namespace
}  // namespace zhv::sim::test
