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
  auto s = AnswerTo(unit, 0x4C);
  ASSERT_EQ(s.size(), 32u);
  EXPECT_EQ(s[1] & 0x01, 0x01);
  EXPECT_EQ(s[2], 17);
  EXPECT_EQ(s[3], 5);
  EXPECT_EQ(Word(s, 4), 2024);
  EXPECT_EQ(s[6], 13);
  EXPECT_EQ(s[7], 45);
  EXPECT_EQ(s[8], 0);
  for (int i = 0; i < 61; ++i) unit.Step(1000);
  s = AnswerTo(unit, 0x4C);
  ASSERT_EQ(s.size(), 32u);
  EXPECT_EQ(s[7], 46);
  EXPECT_EQ(s[8], 1);
  unit.Step(999);
  EXPECT_EQ(AnswerTo(unit, 0x4C).at(8), 1) << "whole seconds only";
  unit.Step(1);
  EXPECT_EQ(AnswerTo(unit, 0x4C).at(8), 2);
}

TEST(StorageStatus, BufferFieldsAreConsistent) {
  Unit unit;
  const auto s = AnswerTo(unit, 0x4C);
  ASSERT_EQ(s.size(), 32u);
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
  const int first = Word(AnswerTo(unit, 0x4C), 12);
  unit.Step(9999);
  EXPECT_EQ(Word(AnswerTo(unit, 0x4C), 12), first);
  unit.Step(1);
  EXPECT_EQ(Word(AnswerTo(unit, 0x4C), 12), first + 1);
  unit.Step(35000);
  EXPECT_EQ(Word(AnswerTo(unit, 0x4C), 12), first + 4);

  Ask(unit, 0x90, {0x00, 0x30, 0x0B});  // period 0, flag bits only: no recording
  unit.Step(100000);
  EXPECT_EQ(Word(AnswerTo(unit, 0x4C), 12), first + 4);

  Ask(unit, 0x90, {1, 0x00, 0x0B});
  unit.Step(0xFFFFFFFFu);  // far more than fit
  const auto s = AnswerTo(unit, 0x4C);
  EXPECT_EQ(Word(s, 12), Word(s, 26)) << "a full buffer stops growing";
  EXPECT_EQ(Le32(s, 14), Le32(s, 28)) << "the write pointer wraps to the start";
}

TEST(StorageStatus, AShorterPeriodOwesRecordsAtTheMomentsTheyFellDue) {
  Unit unit;
  unit.Step(50000);
  Ask(unit, 0x58, {1, 1, 0xE9, 0x07, 0, 0, 0});
  Ask(unit, 0x90, {10, 0x00, 0x0B});  // 50 s since the last record: five are owed
  unit.Step(1);
  ASSERT_EQ(unit.StoredRecords(), 1285u);
  EXPECT_EQ(unit.Record(1280), MakeRecordAt(1280, {2024, 12, 31, 23, 59, 20})) << "before the clock was set";
  EXPECT_EQ(unit.Record(1284), MakeRecordAt(1284, {2025, 1, 1, 0, 0, 0}));
}

TEST(StorageClock, SetByTheToolAndRunningOn) {
  Unit unit;
  auto a = Ask(unit, 0x58, {1, 3, 0xE9, 0x07, 12, 0, 0});
  ASSERT_TRUE(a);
  EXPECT_EQ(a->data, (Bytes{1, 3, 0xE9, 0x07, 12, 0, 0, 0})) << "the clock as set, no failure";
  unit.Step(61500);
  EXPECT_TRUE(Same(unit.ClockNow(), {2025, 3, 1, 12, 1, 1}));
  EXPECT_EQ(unit.Record(1280), MakeRecordAt(1280, {2025, 3, 1, 12, 1, 0})) << "records take the new time";

  Ask(unit, 0x58, {31, 2, 0xE9, 0x07, 23, 59, 59});
  EXPECT_TRUE(Same(unit.ClockNow(), {2025, 3, 3, 23, 59, 59})) << "31 February runs on into March";

  const Bytes unheld[] = {
      {1, 13, 0xE9, 0x07, 0, 0, 0}, {0, 1, 0xE9, 0x07, 0, 0, 0},  {1, 1, 0xE9, 0x07, 24, 0, 0},
      {1, 1, 0xE9, 0x07, 0, 60, 0}, {1, 1, 0xE3, 0x07, 0, 0, 0},  {1, 1, 0x24, 0x08, 0, 0, 0},  // 2019, 2084
  };
  for (const Bytes& bad : unheld) {
    a = Ask(unit, 0x58, bad);
    ASSERT_TRUE(a) << "answered all the same";
    ASSERT_EQ(a->data.size(), 8u);
    EXPECT_EQ(a->data[7] & 0x02, 0x02) << int(bad[0]) << "." << int(bad[1]);
    EXPECT_TRUE(Same(unit.ClockNow(), {2025, 3, 3, 23, 59, 59})) << "the clock keeps its time";
  }
  EXPECT_EQ(AnswerTo(unit, 0x4C).at(0), 0x02) << "date/time failure";
  Ask(unit, 0x58, {31, 12, 0x23, 0x08, 0, 0, 0});
  EXPECT_EQ(AnswerTo(unit, 0x4C).at(0), 0) << "the last year a time stamp holds";
}

TEST(StorageSetup, InitialisesTheBufferAndClearsTheOverflowFlag) {
  Options o;
  o.storage.records = 6656;
  Unit unit(o);
  EXPECT_EQ(AnswerTo(unit, 0x4C).at(0), 0x20) << "a full buffer reports its overflow";
  EXPECT_TRUE(Ask(unit, 0x5C, {0x9F}));
  EXPECT_EQ(AnswerTo(unit, 0x4C).at(0), 0x20) << "other bits do nothing";
  EXPECT_EQ(unit.StoredRecords(), 6656u);

  Ask(unit, 0x5C, {0x20});
  EXPECT_EQ(AnswerTo(unit, 0x4C).at(0), 0);
  EXPECT_EQ(unit.StoredRecords(), 6656u);
  unit.Step(65000);
  EXPECT_EQ(AnswerTo(unit, 0x4C).at(0), 0x20) << "a record found no room";

  Ask(unit, 0x5C, {0x40});
  auto s = AnswerTo(unit, 0x4C);
  ASSERT_EQ(s.size(), 32u);
  EXPECT_EQ(s[0], 0x20) << "initialising leaves the flag to its own bit";
  EXPECT_EQ(Word(s, 12), 0);
  EXPECT_EQ(Le32(s, 14), 0x08006000u);
  EXPECT_EQ(Le32(s, 18), 0x08006000u);
  EXPECT_EQ(Le32(s, 22), PackTimestamp({2024, 5, 17, 13, 46, 5}, 2020)) << "initialised now";
  EXPECT_EQ(unit.StoredRecords(), 0u);
  unit.Step(55000);
  EXPECT_EQ(unit.StoredRecords(), 1u) << "and recording on";

  Ask(unit, 0x5C, {0x60});
  s = AnswerTo(unit, 0x4C);
  ASSERT_EQ(s.size(), 32u);
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(Word(s, 12), 0);
}

TEST(StorageDivider, ReadSetAndClamped) {
  Unit unit;
  const std::pair<int, int> cases[] = {{0, 8192},    {7000, 7000},   {0, 7000},      {6299, 6300},
                                       {6300, 6300}, {9999, 9999},   {10000, 9999},  {0xFFFF, 9999}};
  for (const auto& [sent, kept] : cases) {
    const auto a = Ask(unit, 0x38, {static_cast<std::uint8_t>(sent & 0xFF), static_cast<std::uint8_t>(sent >> 8)});
    ASSERT_TRUE(a) << sent;
    EXPECT_EQ(Word(a->data, 0), kept) << sent;
    EXPECT_EQ(unit.Divider(), kept);
  }
}

}  // namespace
}  // namespace zhv::sim::test
