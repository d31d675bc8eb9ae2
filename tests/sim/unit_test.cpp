#include "sim/unit.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/sim/wire.h"

namespace zhv::sim::test {
namespace {

Options Kind(std::uint8_t gas, std::uint8_t type = 0x11) {
  Options o;
  o.gasKind = gas;
  o.deviceType = type;
  return o;
}

// The signed value of a status concentration word; bit 15 (overrange) aside.
int Concentration(int word) { return (word & 0x4000) ? (word & 0x7FFF) - 0x8000 : (word & 0x3FFF); }

TEST(UnitAnswers, ProbeWhateverTypeItCarries) {
  Unit unit;
  for (std::uint8_t type : {0x00, 0x11, 0x05}) {
    unit.Feed(Request(0x00, {}, type));
    EXPECT_EQ(unit.TakeOutput(), (Bytes{0x0D, 0x11, 0x00, 0x00, 0x1C})) << int(type);
  }
  Unit base(Kind(1, 0x10));
  base.Feed(Request(0x00, {}, 0x00));
  EXPECT_EQ(base.TakeOutput(), (Bytes{0x0D, 0x10, 0x00, 0x00, 0x1D}));
}

TEST(UnitAnswers, EveryAnswerHasItsCommandAndLength) {
  struct Case {
    std::uint8_t request;
    Bytes data;
    std::uint8_t answer;
    std::size_t length;
  };
  const Case cases[] = {
      {0x10, {0x10}, 0x10, 6}, {0x10, {0x01}, 0x10, 6}, {0x10, {0x00}, 0x10, 6}, {0x10, {0x02}, 0x10, 6},
      {0x60, {}, 0x60, 30},    {0x20, {}, 0x20, 32},    {0x90, {1, 2, 3}, 0x90, 3}, {0x34, {0xFA, 0}, 0x40, 3},
      {0x30, {0x00}, 0x30, 4}, {0xA0, {}, 0xA0, 1},     {0x4C, {}, 0x4C, 32},
  };
  Unit unit;
  for (const Case& c : cases) {
    const auto reply = Ask(unit, c.request, c.data);
    ASSERT_TRUE(reply) << std::hex << int(c.request);
    EXPECT_EQ(reply->type, 0x11);
    EXPECT_EQ(reply->command, c.answer) << std::hex << int(c.request);
    EXPECT_EQ(reply->data.size(), c.length) << std::hex << int(c.request);
  }
}

TEST(UnitAnswers, NothingForUnknownOrMalformedRequests) {
  // An unknown command, a control argument the unit lacks, then a byte too many or too few.
  const std::pair<std::uint8_t, Bytes> requests[] = {
      {0x77, {}},     {0x10, {0x07}}, {0x10, {0x10, 0}}, {0x20, {0x00}},
      {0x90, {1, 2}}, {0x40, {0x00}}, {0x48, {0x00}},    {0x50, {1, 0x00, 0x60, 0x00}},
      {0x5C, {}},     {0x38, {0x00}}, {0x58, {1, 1, 0xE8, 0x07, 0, 0}},
  };
  Unit unit;
  for (const auto& [command, data] : requests) {
    unit.Feed(Request(command, data));
    EXPECT_TRUE(unit.TakeOutput().empty()) << std::hex << int(command);
  }
  EXPECT_EQ(unit.RequestCount(0x10), 2);
  EXPECT_EQ(unit.RequestCount(0x77), 1);
  ASSERT_TRUE(unit.LastRequest());
  EXPECT_EQ(unit.LastRequest()->command, 0x58);
  EXPECT_EQ(unit.LastRequest()->length, 6);
}

TEST(UnitAnswers, StorageModuleOnlyInTheStorageVariant) {
  for (std::uint8_t type : {0x10, 0x12}) {
    Unit unit(Kind(27, type));
    EXPECT_FALSE(Ask(unit, 0x4C)) << int(type);
    EXPECT_EQ(unit.RequestCount(0x4C), 1);
    EXPECT_FALSE(Ask(unit, 0x40));
    EXPECT_FALSE(Ask(unit, 0x50, {4, 0x00, 0x60, 0x00, 0x08}));
    EXPECT_FALSE(Ask(unit, 0x38, {0, 0}));
    EXPECT_FALSE(Ask(unit, 0x5C, {0x40}));
    EXPECT_EQ(unit.StoredRecords(), 1280u) << "nor acts on its requests";
  }
}

TEST(UnitIdentification, CarriesVersionGasKindAndId) {
  Unit unit;
  auto r = Ask(unit, 0x10, {0x10});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->data, (Bytes{0x00, 0x31, 130, 27 << 2, 0x34, 0x12}));

  Options o = Kind(13);
  o.version = 0x3FF;
  o.softwareId = 0xBEEF;
  Unit other(o);
  r = Ask(other, 0x10, {0x10});
  ASSERT_TRUE(r);
  ASSERT_EQ(r->data.size(), 6u);
  EXPECT_EQ(r->data[2], 0xFF);
  EXPECT_EQ(r->data[3], (13 << 2) | 0x03);
  EXPECT_EQ(r->data[4], 0xEF);
  EXPECT_EQ(r->data[5], 0xBE);
}

TEST(UnitControl, UsbOnOffAndRestartWithWarmUp) {
  Unit unit;
  EXPECT_FALSE(unit.WarmedUp());
  unit.Step(2999);
  EXPECT_EQ(AnswerTo(unit, 0x20).at(0) & 0x02, 0);
  unit.Step(1);
  EXPECT_EQ(AnswerTo(unit, 0x20).at(0), 0x02);

  EXPECT_EQ(AnswerTo(unit, 0x10, {0x01}).at(0), 0x03);
  EXPECT_TRUE(unit.UsbControl());
  EXPECT_EQ(AnswerTo(unit, 0x20).at(0), 0x03);
  EXPECT_EQ(AnswerTo(unit, 0x10, {0x10}).at(0), 0x03) << "identify must not change the state";
  EXPECT_EQ(AnswerTo(unit, 0x10, {0x00}).at(0), 0x02);
  EXPECT_FALSE(unit.UsbControl());

  Ask(unit, 0x10, {0x01});
  EXPECT_EQ(AnswerTo(unit, 0x10, {0x02}).at(0), 0x00) << "restart: control off, warming up again";
  EXPECT_FALSE(unit.UsbControl());
  unit.Step(3000);
  EXPECT_TRUE(unit.WarmedUp());
}

TEST(UnitParameters, PlausibleDefaultsPerKind) {
  Unit combined;
  const auto p = AnswerTo(combined, 0x60);
  ASSERT_EQ(p.size(), 30u);
  EXPECT_EQ(p[0], 0x00) << "every channel calibrated, every function on";
  EXPECT_LE(p[1], 127);
  EXPECT_EQ(Word(p, 18), 1200) << "valve 12.00 V";
  EXPECT_GT(Word(p, 4), Word(p, 2)) << "channel 1 span above zero";
  EXPECT_GT(Word(p, 12), Word(p, 10)) << "channel 2 span above zero";
  EXPECT_GT(Word(p, 22) & 0x0FFF, 0) << "records are being stored";
  for (std::size_t at : {6, 8, 14, 16, 20, 24, 26, 28}) EXPECT_GT(Word(p, at), 0) << "byte " << at;

  Unit methane(Kind(1));
  const auto m = AnswerTo(methane, 0x60);
  for (std::size_t at : {10, 12, 14, 16}) EXPECT_EQ(Word(m, at), 0) << "no second channel, byte " << at;
}

TEST(UnitParameters, WordWriteRoundTrip) {
  Unit unit;
  for (std::uint8_t n = 0; n <= 0x0E; ++n) {
    const auto lo = static_cast<std::uint8_t>(0x10 + n);
    const auto r = Ask(unit, 0x90, {lo, 0xA5, n});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->data, (Bytes{lo, 0xA5, n}));
  }
  const auto p = AnswerTo(unit, 0x60);
  for (std::size_t n = 0; n <= 0x0E; ++n) EXPECT_EQ(Word(p, 2 * n), 0xA510 + static_cast<int>(n)) << n;

  const auto before = unit.Words();
  EXPECT_FALSE(Ask(unit, 0x90, {1, 2, 0x0F}));
  EXPECT_FALSE(Ask(unit, 0x90, {1, 2, 0xFF}));
  EXPECT_EQ(unit.Words(), before);
}

TEST(UnitParameters, SupplySetpointIsAnsweredAndApplied) {
  Unit unit;
  EXPECT_EQ(unit.SupplySetpoint(), 250);
  const auto r = Ask(unit, 0x34, {0x2C, 0x01});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->data, (Bytes{0x2C, 0x01, 0x00}));
  const auto s = AnswerTo(unit, 0x20);
  EXPECT_NEAR(Word(s, 14), 30000, 20) << "sensor supply follows the setpoint, 0.1 mV";
  EXPECT_NEAR(Word(s, 24), 33000, 20) << "channel 2 keeps its own supply";
}

TEST(UnitParameters, KeptWordsAreAnsweredWithWhatTheUnitHolds) {
  Unit unit;
  unit.faults().keepWords = true;
  const auto before = unit.Words();
  const auto r = AnswerTo(unit, 0x90, {0x2C, 0x01, 0x0C});
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(Word(r, 0), before[0x0C]);
  EXPECT_EQ(r[2], 0x0C);
  EXPECT_EQ(unit.Words(), before);
}

TEST(UnitStatus, LayoutOfTheCombinedUnit) {
  Unit unit;
  unit.Step(5000);
  const auto s = AnswerTo(unit, 0x20);
  ASSERT_EQ(s.size(), 32u);
  EXPECT_EQ(s[1], 0x31);
  EXPECT_NEAR(s[2] | (s[3] & 0x0F) << 8, 1200, 3);
  EXPECT_EQ(s[3] & 0x30, 0x10) << "valve regulating";
  EXPECT_NEAR(s[5] | (s[4] & 0x0F) << 8, 1200, 4);
  EXPECT_NEAR(s[6] | (s[4] >> 4) << 8, 410, 6);
  EXPECT_EQ(s[8], 1) << "channel 1 CH4";
  EXPECT_EQ(s[18], 23) << "channel 2 CO";
  EXPECT_EQ(s[9] & 0x01, 0x01);
  EXPECT_EQ(s[19] & 0x01, 0x01);
  EXPECT_EQ(s[28], 0x01);
  const auto t = static_cast<std::int8_t>(s[29]);
  EXPECT_GE(t, 19);
  EXPECT_LE(t, 25);
  for (std::size_t at : {7, 17, 27, 30, 31}) EXPECT_EQ(s[at], 0) << "byte " << at;

  Unit single(Kind(13));
  const auto o = AnswerTo(single, 0x20);
  ASSERT_EQ(o.size(), 32u);
  EXPECT_EQ(o[8], 13);
  for (std::size_t at = 18; at <= 26; ++at) EXPECT_EQ(o[at], 0) << "byte " << at;
}

TEST(UnitStatus, ValuesMoveAndAgreeWithTheCalibration) {
  Unit unit;
  const auto p = AnswerTo(unit, 0x60);
  std::set<int> concentrations, voltages, temperatures;
  bool negative = false;
  for (int second = 0; second < 120; ++second) {
    unit.Step(1000);
    const auto s = AnswerTo(unit, 0x20);
    ASSERT_EQ(s.size(), 32u);
    const int c = Concentration(Word(s, 10));
    const int v = Word(s, 12);
    EXPECT_EQ(Word(s, 10) & 0x8000, 0) << "no overrange in normal swings";
    const double expected = double(v - Word(p, 2)) * Word(p, 6) / (Word(p, 4) - Word(p, 2));
    EXPECT_NEAR(c, expected, 0.51) << "at second " << second;
    negative = negative || c < 0;
    concentrations.insert(c);
    voltages.insert(v);
    temperatures.insert(s[29]);
    EXPECT_LT(c, Word(p, 8)) << "demo unit stays below its threshold";
    EXPECT_EQ(s[9] & 0x12, 0);
  }
  EXPECT_TRUE(negative) << "the sign bit is exercised";
  EXPECT_GT(concentrations.size(), 10u);
  EXPECT_GT(voltages.size(), 10u);
  EXPECT_GT(temperatures.size(), 2u);
}

TEST(UnitStatus, ThresholdExcessIsLatchedUntilRestart) {
  Unit unit;
  unit.Step(3000);
  Ask(unit, 0x90, {0x00, 0x00, 0x04});  // threshold 0: the first positive reading alarms
  bool sawExcess = false;
  for (int i = 0; i < 60 && !sawExcess; ++i) {
    unit.Step(500);
    sawExcess = (AnswerTo(unit, 0x20).at(9) & 0x10) != 0;
  }
  ASSERT_TRUE(sawExcess);
  EXPECT_EQ(AnswerTo(unit, 0x20).at(9) & 0x02, 0x02);
  Ask(unit, 0x90, {0xFF, 0x3F, 0x04});
  const auto after = AnswerTo(unit, 0x20).at(9);
  EXPECT_EQ(after & 0x10, 0);
  EXPECT_EQ(after & 0x02, 0x02) << "the past excess stays shown";
  Ask(unit, 0x10, {0x02});
  unit.Step(3000);
  EXPECT_EQ(AnswerTo(unit, 0x20).at(9) & 0x02, 0);
}

TEST(UnitCalibration, ZeroAndSpanTakeTheSensorVoltage) {
  Unit unit;
  unit.Step(4000);
  ASSERT_EQ(AnswerTo(unit, 0x30, {0xF0}), (Bytes{0xF0, 0x00, 0x00, 0x00}));
  EXPECT_EQ(unit.Words()[0] & 0x0F, 0x03) << "INIT marks channel 1 not calibrated";
  EXPECT_EQ(AnswerTo(unit, 0x20).at(9) & 0x04, 0x04) << "shown as a setup error";

  const int voltage = Word(AnswerTo(unit, 0x20), 12);
  const auto zero = AnswerTo(unit, 0x30, {0x00});
  ASSERT_EQ(zero.size(), 4u);
  EXPECT_EQ(zero[0], 0x00);
  EXPECT_EQ(zero[1], 0x00);
  EXPECT_EQ(Word(zero, 2), voltage);
  EXPECT_EQ(unit.Words()[1], voltage);
  EXPECT_EQ(unit.Words()[0] & 0x0F, 0x02);
  EXPECT_EQ(Concentration(Word(AnswerTo(unit, 0x20), 10)), 0) << "zeroed right now";

  unit.Step(5000);
  const int later = Word(AnswerTo(unit, 0x20), 12);
  ASSERT_NE(later, voltage);
  EXPECT_EQ(Word(AnswerTo(unit, 0x30, {0x10}), 2), later);
  EXPECT_EQ(unit.Words()[2], later);
  EXPECT_EQ(unit.Words()[0] & 0x0F, 0x00);
  EXPECT_EQ(AnswerTo(unit, 0x20).at(9) & 0x04, 0);
  EXPECT_EQ(Concentration(Word(AnswerTo(unit, 0x20), 10)), unit.Words()[3]) << "reads the span concentration";
}

TEST(UnitCalibration, SecondChannelUsesItsOwnWords) {
  Unit unit;
  unit.Step(1000);
  const auto before = unit.Words();
  Ask(unit, 0x30, {0xF1});
  EXPECT_EQ(unit.Words()[0] & 0x0F, 0x0C);
  const int zero = Word(AnswerTo(unit, 0x30, {0x01}), 2);
  EXPECT_EQ(zero, Word(AnswerTo(unit, 0x20), 22));
  EXPECT_EQ(unit.Words()[5], zero);
  EXPECT_EQ(unit.Words()[1], before[1]);
  EXPECT_EQ(unit.Words()[0] & 0x0F, 0x08);
  unit.Step(5000);
  const int span = Word(AnswerTo(unit, 0x30, {0x11}), 2);
  EXPECT_EQ(unit.Words()[6], span);
  EXPECT_EQ(unit.Words()[2], before[2]);
  EXPECT_EQ(unit.Words()[0] & 0x0F, 0x00);
}

TEST(UnitCalibration, ErrorsLeaveTheWords) {
  for (std::uint8_t flags : {0x01, 0x02, 0x10, 0x13, 0x40}) {
    Unit unit;
    unit.Step(2000);
    unit.faults().calibrationError = flags;
    const auto before = unit.Words();
    for (std::uint8_t op : {0x00, 0x10, 0x01, 0x11, 0xF0, 0xF1}) {
      const auto r = AnswerTo(unit, 0x30, {op});
      ASSERT_EQ(r.size(), 4u);
      EXPECT_EQ(r[0], op);
      EXPECT_EQ(r[1], flags);
    }
    EXPECT_EQ(unit.Words(), before) << "flags " << int(flags);
  }
  Unit methane(Kind(1));
  const auto before = methane.Words();
  EXPECT_EQ(AnswerTo(methane, 0x30, {0x01}).at(1), 0x10) << "no second sensor fitted";
  EXPECT_EQ(AnswerTo(methane, 0x30, {0xF1}).at(1), 0x10);
  EXPECT_NE(AnswerTo(methane, 0x30, {0x20}).at(1), 0) << "no such operation";
  EXPECT_EQ(methane.Words(), before);
}

TEST(UnitEeprom, SuccessOrFailure) {
  Unit unit;
  EXPECT_EQ(AnswerTo(unit, 0xA0), Bytes{0x00});
  unit.faults().eepromFailure = true;
  EXPECT_NE(AnswerTo(unit, 0xA0).at(0), 0);
}

TEST(UnitReceiver, GivesUpAStalledFrame) {
  Unit unit;
  const Bytes probe = Request(0x00);
  unit.Feed(Bytes{0x0D, 0x11, 0x20});  // the tool stopped mid-frame
  unit.Feed(probe);
  EXPECT_TRUE(unit.TakeOutput().empty()) << "the probe hides inside the long false frame";
  unit.Step(Unit::kStallMs - 1);
  EXPECT_TRUE(unit.TakeOutput().empty());
  unit.Step(1);
  EXPECT_EQ(SplitFrames(unit.TakeOutput()).size(), 1u);

  unit.Feed(Bytes{0x0D, 0x11});
  unit.Step(Unit::kStallMs);
  unit.Feed(probe);
  EXPECT_EQ(SplitFrames(unit.TakeOutput()).size(), 1u);
}

}  // namespace
}  // namespace zhv::sim::test
