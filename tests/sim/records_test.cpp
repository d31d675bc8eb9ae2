// The records the simulated unit stores, read byte by byte as the tool reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "sim/unit.h"
#include "tests/sim/wire.h"

namespace zhv::sim::test {
namespace {

TEST(StorageRecords, VaryOverTheFirstFewHundred) {
  Unit unit;
  std::set<int> types;
  std::set<int> decimals;
  std::set<std::string> seen;
  const auto see = [&](bool happens, const char* what) {
    if (happens) seen.insert(what);
  };
  for (std::size_t i = 0; i < 300; ++i) {
    const RecordBytes r = unit.Record(i);
    types.insert(r[7] & 0x3F);
    decimals.insert(r[7] >> 6);
    const bool second = r[8] & 0x80;
    see(second, "channel 2");
    see(!second, "no channel 2");
    if (!second) {
      EXPECT_EQ((r[8] & 0x70) | r[11] | r[12], 0) << "an absent channel reports nothing, record " << i;
    }
    for (std::size_t at : {9u, 11u}) {
      const int word = r[at] | r[at + 1] << 8;
      see(word & 0x4000, "negative");
      see(word & 0x8000, "over range");
      if (word & 0x4000) {
        EXPECT_NE(word & 0x3FFF, 0) << "a negative magnitude below 16384, record " << i;
      }
    }
    see(r[0] != 0, "bad integrity");
    see(!(r[5] & 0x04), "warm-up");
    see(r[5] & 0x02, "USB control");
    see(r[5] & 0x08, "test mode");
    see(r[5] & 0x10, "on battery");
    see(r[5] & 0x20, "discharged");
    see(r[5] & 0x80, "link error");
    const int battery = (r[5] & 0x01) << 8 | r[6];
    EXPECT_GT(battery, 200) << i;
    see(battery < 256, "battery below 2.56 V");
    const bool temperature = r[13] & 0x01;
    see(!temperature, "no temperature");
    see(temperature && static_cast<std::int8_t>(r[14]) < 0, "below zero");
    see(temperature && static_cast<std::int8_t>(r[14]) > 0, "above zero");
  }
  const std::set<int> named{0, 1, 2, 4, 5, 11, 13, 14, 22, 23, 24, 29, 30};
  EXPECT_TRUE(std::includes(types.begin(), types.end(), named.begin(), named.end()));
  EXPECT_GT(types.size(), named.size()) << "and a type the tool has no name for";
  EXPECT_EQ(decimals, (std::set<int>{0, 1, 2, 3}));
  EXPECT_EQ(seen, (std::set<std::string>{"channel 2", "no channel 2", "negative", "over range", "bad integrity",
                                         "warm-up", "USB control", "test mode", "on battery", "discharged",
                                         "link error", "battery below 2.56 V", "no temperature", "below zero",
                                         "above zero"}));
}

TEST(StorageRecords, StampedOnePeriodApartUpToTheStart) {
  Options o;
  o.clockStart = {2024, 1, 1, 0, 30, 0};
  o.storage.records = 100;
  Unit unit(o);
  const auto stamp = [&](std::size_t i) {
    const RecordBytes record = unit.Record(i);
    return Le32(Bytes(record.begin(), record.end()), 1);
  };
  EXPECT_EQ(stamp(99), PackTimestamp({2024, 1, 1, 0, 30, 0}, 2020)) << "the latest taken at the start";
  EXPECT_EQ(stamp(69), PackTimestamp({2024, 1, 1, 0, 0, 0}, 2020));
  EXPECT_EQ(stamp(68), PackTimestamp({2023, 12, 31, 23, 59, 0}, 2020)) << "over the year's end";
  for (std::uint32_t i = 0; i < 100; ++i) EXPECT_EQ(unit.Record(i), MakeRecord(i, {2023, 12, 31, 22, 51, 0}, 60)) << i;
  EXPECT_THROW(unit.Record(100), std::out_of_range);
}

}  // namespace
}  // namespace zhv::sim::test
