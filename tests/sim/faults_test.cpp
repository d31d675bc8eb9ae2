#include <gtest/gtest.h>

#include <algorithm>

#include "sim/unit.h"
#include "tests/sim/wire.h"

namespace zhv::sim::test {
namespace {

TEST(UnitFaults, SilenceForOneCommandOrAll) {
  Unit unit;
  unit.faults().silent = {0x20, 0x34};
  EXPECT_FALSE(Ask(unit, 0x20));
  EXPECT_FALSE(Ask(unit, 0x34, {1, 1})) << "silenced by the request's code, not the answer's";
  EXPECT_TRUE(Ask(unit, 0x60));
  EXPECT_EQ(unit.SupplySetpoint(), 0x0101) << "a silent unit still acts";
  unit.faults().silentAll = true;
  EXPECT_FALSE(Ask(unit, 0x00));
  EXPECT_FALSE(Ask(unit, 0x60));
  unit.faults() = {};
  EXPECT_TRUE(Ask(unit, 0x20)) << "switched back at run time";
}

TEST(UnitFaults, WrongLengthOnlyForTheNamedCommand) {
  Unit unit;
  unit.faults().wrongLength = 0x10;
  EXPECT_EQ(AnswerTo(unit, 0x10, {0x10}).size(), 7u);
  EXPECT_EQ(AnswerTo(unit, 0x20).size(), 32u);
  unit.faults().wrongLength = 0x00;
  EXPECT_EQ(AnswerTo(unit, 0x00).size(), 1u);
  unit.faults().wrongLength.reset();
  EXPECT_EQ(AnswerTo(unit, 0x00).size(), 0u);
}

TEST(UnitFaults, BadCheckByteOnEveryAnswer) {
  Unit unit;
  unit.faults().badCheck = true;
  unit.Feed(Request(0x00));
  const Bytes out = unit.TakeOutput();
  ASSERT_EQ(out.size(), 5u);
  EXPECT_EQ((Bytes{out.begin(), out.end() - 1}), (Bytes{0x0D, 0x11, 0x00, 0x00}));
  EXPECT_NE(out.back(), 0x1C);
  unit.faults().badCheck = false;
  EXPECT_TRUE(Ask(unit, 0x00));
}

TEST(UnitFaults, SplitAnswersArriveOverTwoSteps) {
  Unit unit;
  unit.faults().split = true;
  unit.Feed(Request(0x20));
  unit.Feed(Request(0x00));
  const Bytes first = unit.TakeOutput();
  EXPECT_EQ(first.size(), 37u / 2) << "only the first half of the first answer";
  EXPECT_TRUE(unit.TakeOutput().empty());
  unit.Step(10);
  Bytes all = first;
  const Bytes rest = unit.TakeOutput();
  all.insert(all.end(), rest.begin(), rest.end());
  const auto frames = SplitFrames(all);
  ASSERT_EQ(frames.size(), 2u) << "both answers complete, in order";
  EXPECT_EQ(frames[0].command, 0x20);
  EXPECT_EQ(frames[1].command, 0x00);
}

TEST(UnitFaults, UsbControlRefusesToSwitchOn) {
  Unit unit;
  unit.faults().refuseUsbOn = true;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(AnswerTo(unit, 0x10, {0x01}).at(0) & 0x01, 0);
  unit.faults().refuseUsbOn = false;
  EXPECT_EQ(AnswerTo(unit, 0x10, {0x01}).at(0) & 0x01, 0x01);
  unit.faults().refuseUsbOn = true;
  EXPECT_EQ(AnswerTo(unit, 0x10, {0x10}).at(0) & 0x01, 0x01) << "refusing to switch on does not switch off";
  EXPECT_EQ(AnswerTo(unit, 0x10, {0x00}).at(0) & 0x01, 0);
}

Options Stored(std::uint16_t records) {
  Options o;
  o.storage.records = records;
  return o;
}

TEST(UnitFaults, SilentMidReadOutHearsNothingUntilLifted) {
  Unit unit(Stored(40));
  unit.faults().silentAfterBlocks = 2;
  ASSERT_EQ(Answers(unit, 0x40).size(), 2u);
  ASSERT_TRUE(Ask(unit, 0x48));
  ASSERT_EQ(Answers(unit, 0x40).size(), 2u);
  EXPECT_FALSE(Ask(unit, 0x48)) << "the second block is not acknowledged";
  EXPECT_TRUE(Answers(unit, 0x40).empty());
  EXPECT_FALSE(Ask(unit, 0x50, {1, 0x00, 0x60, 0x00, 0x08}));
  EXPECT_TRUE(Ask(unit, 0x4C)) << "the other requests are answered";
  EXPECT_EQ(unit.StoredRecords(), 32u) << "nothing freed while deaf";

  const RecordBytes next = unit.Record(0);
  unit.faults().silentAfterBlocks.reset();
  const auto a = Answers(unit, 0x40);
  ASSERT_EQ(a.size(), 2u);
  ASSERT_GE(a[1].data.size(), 5u + next.size());
  EXPECT_TRUE(std::equal(next.begin(), next.end(), a[1].data.begin() + 5)) << "the read-out resumes where it stopped";
}

TEST(UnitFaults, OvercountNamesMoreRecordsThanTheBlockCarries) {
  Unit unit(Stored(20));
  unit.faults().overcount = true;
  auto a = Answers(unit, 0x40);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].data, Bytes{8}) << "the announcement stays true";
  EXPECT_EQ(a[1].data.at(0), 8 + 17);
  EXPECT_EQ(a[1].data.size(), 5u + 15 * 8) << "the frame carries what there is";
  a = Answers(unit, 0x50, {16, 0x00, 0x60, 0x00, 0x08});
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[1].data.at(0), 16 + 17);
  EXPECT_EQ(a[1].data.size(), 245u);
}

TEST(UnitFaults, HangsUpAfterTheNamedBlock) {
  Unit unit;
  unit.faults().hangUpAfterBlocks = 2;
  Answers(unit, 0x40);
  Ask(unit, 0x48);
  EXPECT_FALSE(unit.HungUp());
  EXPECT_EQ(Answers(unit, 0x50, {4, 0x80, 0x60, 0x00, 0x08}).size(), 2u) << "the last block is sent whole";
  EXPECT_TRUE(unit.HungUp());
  EXPECT_EQ(unit.BlocksServed(), 2);
  EXPECT_FALSE(Ask(unit, 0x40));
  EXPECT_FALSE(Ask(unit, 0x00)) << "gone: nothing more at all";
}

}  // namespace
}  // namespace zhv::sim::test
