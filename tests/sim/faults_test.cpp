#include <gtest/gtest.h>

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
  EXPECT_EQ(Ask(unit, 0x10, {0x10})->data.size(), 7u);
  EXPECT_EQ(Ask(unit, 0x20)->data.size(), 32u);
  unit.faults().wrongLength = 0x00;
  EXPECT_EQ(Ask(unit, 0x00)->data.size(), 1u);
  unit.faults().wrongLength.reset();
  EXPECT_EQ(Ask(unit, 0x00)->data.size(), 0u);
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
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Ask(unit, 0x10, {0x01})->data[0] & 0x01, 0);
  unit.faults().refuseUsbOn = false;
  EXPECT_EQ(Ask(unit, 0x10, {0x01})->data[0] & 0x01, 0x01);
  unit.faults().refuseUsbOn = true;
  EXPECT_EQ(Ask(unit, 0x10, {0x10})->data[0] & 0x01, 0x01) << "refusing to switch on does not switch off";
  EXPECT_EQ(Ask(unit, 0x10, {0x00})->data[0] & 0x01, 0);
}

}  // namespace
}  // namespace zhv::sim::test
