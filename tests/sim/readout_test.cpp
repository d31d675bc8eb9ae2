// The record buffer read out over the link: block by block with
// acknowledgement, or at an address.
#include <gtest/gtest.h>

#include "sim/unit.h"
#include "tests/sim/wire.h"

namespace zhv::sim::test {
namespace {

constexpr std::uint32_t kStart = 0x08006000;
constexpr std::uint32_t kEnd = 0x08020000;

using Records = std::vector<RecordBytes>;

Options Buffer(std::uint16_t records, std::uint8_t block = 8) {
  Options o;
  o.storage.records = records;
  o.storage.blockRecords = block;
  return o;
}

Bytes ReadAt(std::uint8_t count, std::uint32_t address) {
  Bytes d{count};
  for (int i = 0; i < 4; ++i) d.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
  return d;
}

Records Stored(const Unit& unit, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  Records out;
  for (std::size_t i = from; i < std::min(to, unit.StoredRecords()); ++i) out.push_back(unit.Record(i));
  return out;
}

Records Slice(const Records& all, std::size_t from, std::size_t to) {
  return {all.begin() + static_cast<std::ptrdiff_t>(from), all.begin() + static_cast<std::ptrdiff_t>(to)};
}

// The records a 0x44 or 0x54 frame carries, its length checked against its count.
Records Carried(const Reply& r) {
  EXPECT_EQ(r.data.size(), 5u + 15u * r.data.at(0));
  Records out;
  for (std::size_t at = 5; at + 15 <= r.data.size(); at += 15) {
    RecordBytes rec;
    std::copy_n(r.data.begin() + static_cast<std::ptrdiff_t>(at), 15, rec.begin());
    out.push_back(rec);
  }
  return out;
}

TEST(StorageAnswers, EachRequestHasItsLayout) {
  Unit unit(Buffer(20));
  const Records before = Stored(unit);

  auto a = Answers(unit, 0x50, ReadAt(3, kStart + 16 * 10));
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].command, 0x50);
  EXPECT_EQ(a[0].data, Bytes{3});
  EXPECT_EQ(a[1].command, 0x54);
  EXPECT_EQ(Le32(a[1].data, 1), kStart + 16 * 10);
  EXPECT_EQ(Carried(a[1]), Slice(before, 10, 13));

  a = Answers(unit, 0x40);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].command, 0x40);
  EXPECT_EQ(a[0].data, Bytes{8});
  EXPECT_EQ(a[1].command, 0x44);
  EXPECT_EQ(Le32(a[1].data, 1), kStart);
  EXPECT_EQ(Carried(a[1]), Slice(before, 0, 8));

  const struct {
    std::uint8_t request;
    Bytes data;
    std::uint8_t answer;
    std::size_t length;
  } cases[] = {
      {0x48, {}, 0x48, 0}, {0x58, {1, 6, 0xE9, 0x07, 12, 0, 0}, 0x58, 8}, {0x5C, {0x00}, 0x5C, 0},
      {0x38, {0, 0}, 0x38, 2}, {0x4C, {}, 0x4C, 32},
  };
  for (const auto& c : cases) {
    const auto reply = Ask(unit, c.request, c.data);
    ASSERT_TRUE(reply) << std::hex << int(c.request);
    EXPECT_EQ(reply->command, c.answer);
    EXPECT_EQ(reply->data.size(), c.length) << std::hex << int(c.request);
  }
  ASSERT_EQ(unit.StoredRecords(), 12u);

  // A byte too many or too few: neither answered nor acted on.
  const std::pair<std::uint8_t, std::size_t> lengths[] = {{0x40, 0}, {0x48, 0}, {0x50, 5},
                                                          {0x58, 7}, {0x5C, 1}, {0x38, 2}};
  for (const auto& [request, length] : lengths) {
    EXPECT_FALSE(Ask(unit, request, Bytes(length + 1, 0x40))) << std::hex << int(request);
    if (length > 0) {
      EXPECT_FALSE(Ask(unit, request, Bytes(length - 1, 0x40))) << std::hex << int(request);
    }
  }
  EXPECT_EQ(unit.StoredRecords(), 12u);
  EXPECT_EQ(unit.Divider(), 8192);

  Options alt = Buffer(4);
  alt.storage.setupAltAnswer = true;
  Unit other(alt);
  const auto reply = Ask(other, 0x5C, {0x00});
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->command, 0x0E);
  EXPECT_EQ(reply->data.size(), 3u);
}

TEST(StorageReadout, SequentialFreesOnlyWhatIsAcknowledged) {
  Unit unit(Buffer(20));
  const Records before = Stored(unit);
  EXPECT_EQ(Carried(Answers(unit, 0x40).at(1)), Slice(before, 0, 8));
  EXPECT_EQ(Carried(Answers(unit, 0x40).at(1)), Slice(before, 0, 8)) << "not acknowledged: sent again";
  ASSERT_TRUE(Ask(unit, 0x48));
  ASSERT_TRUE(Ask(unit, 0x48)) << "a repeated acknowledgement is answered";
  EXPECT_EQ(unit.StoredRecords(), 12u) << "... and frees nothing more";
  EXPECT_EQ(unit.Record(0), before[8]);
  const Bytes s = AnswerTo(unit, 0x4C);
  EXPECT_EQ(Word(s, 12), 12);
  EXPECT_EQ(Le32(s, 14), kStart + 16 * 20) << "write pointer";
  EXPECT_EQ(Le32(s, 18), kStart + 16 * 8) << "read pointer";

  auto a = Answers(unit, 0x40);
  EXPECT_EQ(Le32(a.at(1).data, 1), kStart + 16 * 8);
  EXPECT_EQ(Carried(a[1]), Slice(before, 8, 16));
  ASSERT_TRUE(Ask(unit, 0x48));
  a = Answers(unit, 0x40);
  EXPECT_EQ(a.at(0).data, Bytes{4}) << "the rest, fewer than a block";
  EXPECT_EQ(Carried(a.at(1)), Slice(before, 16, 20));
  ASSERT_TRUE(Ask(unit, 0x48));
  a = Answers(unit, 0x40);
  ASSERT_EQ(a.size(), 1u) << "an empty buffer sends no block";
  EXPECT_EQ(a[0].data, Bytes{0});
  EXPECT_EQ(unit.BlocksServed(), 4);
}

TEST(StorageReadout, AddressedAtAndBeyondTheEnd) {
  Unit unit(Buffer(20));
  const Records before = Stored(unit);
  const struct {
    std::uint8_t count;
    std::uint32_t address;
    std::size_t first;
    std::size_t n;
  } cases[] = {
      {16, kStart, 0, 16},          {16, kStart + 16 * 16, 16, 4}, {17, kStart, 0, 16},
      {3, kStart + 8, 1, 3},        {16, kStart + 16 * 20, 0, 0},  {0, kStart, 0, 0},
      {5, kStart - 16, 0, 0},       {5, kEnd, 0, 0},               {5, 0xFFFFFFF8, 0, 0},
  };
  for (const auto& c : cases) {
    const auto a = Answers(unit, 0x50, ReadAt(c.count, c.address));
    ASSERT_FALSE(a.empty()) << std::hex << c.address;
    EXPECT_EQ(a[0].data, Bytes{static_cast<std::uint8_t>(c.n)}) << std::hex << c.address;
    if (c.n == 0) {
      EXPECT_EQ(a.size(), 1u);
      continue;
    }
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(Le32(a[1].data, 1), kStart + 16 * c.first);
    EXPECT_EQ(Carried(a[1]), Slice(before, c.first, c.first + c.n)) << std::hex << c.address;
  }
  EXPECT_EQ(unit.StoredRecords(), 20u) << "reading at an address frees nothing";

  Answers(unit, 0x40);
  Ask(unit, 0x48);
  EXPECT_EQ(Answers(unit, 0x50, ReadAt(4, kStart)).at(0).data, Bytes{0}) << "freed records are gone";
  EXPECT_EQ(Carried(Answers(unit, 0x50, ReadAt(4, kStart + 16 * 8)).at(1)), Slice(before, 8, 12));
}

TEST(StorageReadout, TheRingWrapsAtTheEndOfMemory) {
  Unit unit(Buffer(6650, 16));
  Answers(unit, 0x40);
  Ask(unit, 0x48);  // the first 16 slots are free again
  ASSERT_EQ(unit.StoredRecords(), 6634u);
  Ask(unit, 0x90, {1, 0x00, 0x0B});  // a record a second
  unit.Step(30000);                   // 6 fill memory, 16 the freed slots, 8 find no room
  ASSERT_EQ(unit.StoredRecords(), 6656u);
  const Bytes s = AnswerTo(unit, 0x4C);
  ASSERT_EQ(s.size(), 32u);
  EXPECT_EQ(s[0] & 0x20, 0x20) << "overflow";
  EXPECT_EQ(Le32(s, 14), kStart + 256);
  EXPECT_EQ(Le32(s, 18), kStart + 256);
  EXPECT_EQ(unit.Record(6634), MakeRecordAt(6650, {2024, 5, 17, 13, 45, 1})) << "the moment it fell due";
  EXPECT_EQ(unit.Record(6655), MakeRecordAt(6671, {2024, 5, 17, 13, 45, 22})) << "the later ones were lost";

  auto a = Answers(unit, 0x50, ReadAt(16, kEnd - 16 * 6));
  EXPECT_EQ(Carried(a.at(1)), Stored(unit, 6634, 6640)) << "a block stops at the end of memory";
  a = Answers(unit, 0x50, ReadAt(16, kStart));
  EXPECT_EQ(Carried(a.at(1)), Stored(unit, 6640, 6656)) << "the newest records wrapped to the start";

  // The whole full buffer read out in order, the blocks up to 245 data bytes.
  const Records before = Stored(unit);
  Records got;
  for (int guard = 0; guard < 1000 && unit.StoredRecords() > 0; ++guard) {
    a = Answers(unit, 0x40);
    ASSERT_EQ(a.size(), 2u);
    ASSERT_LE(a[1].data.size(), 245u);
    EXPECT_LE(Le32(a[1].data, 1) + 16 * a[1].data.at(0), kEnd);
    const Records block = Carried(a[1]);
    got.insert(got.end(), block.begin(), block.end());
    Ask(unit, 0x48);
  }
  EXPECT_TRUE(got == before) << got.size() << " of " << before.size() << " records";
  EXPECT_EQ(unit.BlocksServed(), 1 + 2 + 416);
}

}  // namespace
}  // namespace zhv::sim::test
