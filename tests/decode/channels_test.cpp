// Sensor channels: set-up by gas kind, the state flags and the readings with
// their chart rings, fed by the pure presenters from parsed status answers.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "decode/codecs.h"
#include "decode/decoders.h"
#include "fixture.h"

namespace zhv {
namespace {

using test::SetData;
using test::SetDataWord;

class Channels : public ::testing::Test {
 protected:
  static std::vector<double> Ys(const SeriesControl& series) {
    std::vector<double> ys;
    for (const auto& p : series.Points()) ys.push_back(p.y);
    return ys;
  }
  // The value plotted at `index`; a failure, not a crash, when there is none.
  static double Y(const SeriesControl& series, std::size_t index) {
    const auto& points = series.Points();
    if (index >= points.size()) {
      ADD_FAILURE() << series.Name() << " has " << points.size() << " points, none at " << index;
      return std::nan("");
    }
    return points[index].y;
  }
  void SetUpChannelOf(std::uint8_t kind, int channel) { SetUpChannel(f, d, kind, channel); }
  void State(std::uint8_t stateByte, int channelIndex) {
    ShowChannelState(f, gasKind, temperatureOff, stateByte, channelIndex);
  }
  void Values() { ShowChannelValues(f, d, gasKind, ParseStatus(answer)); }
  // One status answer with a channel 1 concentration word and kind.
  void Concentration1(std::uint8_t kind, int word) {
    SetData(answer, {{8, kind}});
    SetDataWord(answer, 10, word);
    Values();
  }

  TForm1 f;
  DisplayState d;
  Frame answer = test::Answer32();
  std::uint8_t gasKind = 0;  // the unit's own kind
  bool temperatureOff = false;
};

// --- set-up by gas kind

TEST_F(Channels, SetUpStartsBothChartsEmpty) {
  f.CheckBox110.SetChecked(false);
  d.rings[0].writePos = 37;
  d.rings[0].fillCount = 100;
  f.LineSeries110.SetPoints({{1, 3, clr::Red}});
  SetUpChannelOf(cat::kGasCH4, 0);

  EXPECT_TRUE(f.CheckBox110.Checked());
  EXPECT_EQ(f.Chart110.LeftMin(), -1);
  EXPECT_EQ(f.Chart110.LeftMax(), 5);
  EXPECT_EQ(f.Chart120.LeftMin(), 0);
  EXPECT_EQ(f.Chart120.LeftMax(), 3);
  EXPECT_EQ(d.rings[0].writePos, 0);
  EXPECT_EQ(d.rings[0].fillCount, 0);
  // Nothing received yet, so nothing drawn: no made-up points below the range.
  EXPECT_TRUE(f.LineSeries110.Points().empty());
  EXPECT_TRUE(f.LineSeries120.Points().empty());
}

TEST_F(Channels, SetUpTextsAndAxesByKind) {
  struct Case {
    std::uint8_t kind;
    const char *gas, *upper, *fraction, *lower, *mark, *initial;
    double concMin, concMax, voltMax;
    const char* concFormat;
    int concSeparation;
    const char* voltFormat;
    int voltSeparation;
  };
  const Case cases[] = {
      {1, "CH4", "об.", "", "%", "", "0.00", -1, 5, 3, "0.00", 1, "0.000", 1},
      {2, "C3H8", "об.", "", "%", "", "0.00", -1, 3, 3, "0.00", 1, "0.000", 1},
      {13, "CO2", "об.", "", "%", "опт", "0.000", -1, 2, 10000, "0.000", 1, "0000", 1},
      {23, "CO", "мг", "------", "м3", "", "000", -10, 200, 4, "000", 50, "0.000", 1},
      {33, "CO2", "об.", "", "%", "", "0.000", -1, 2, 5, "0.000", 1, "0.000", 1},
      {27, "***", "", "", "", "", "---", -10, 100, 10, "00", 10, "0", 100},
  };
  for (const auto& c : cases) {
    SetUpChannelOf(c.kind, 0);
    SCOPED_TRACE(int(c.kind));
    EXPECT_EQ(f.Label1121.Text(), c.gas);
    EXPECT_EQ(f.Label1122.Text(), c.upper);
    EXPECT_EQ(f.Label1123.Text(), c.fraction);
    EXPECT_EQ(f.Label1124.Text(), c.lower);
    EXPECT_EQ(f.Label1125.Text(), c.mark);
    EXPECT_EQ(f.Edit112.Text(), c.initial);
    EXPECT_EQ(f.Chart110.LeftMin(), c.concMin);
    EXPECT_EQ(f.Chart110.LeftMax(), c.concMax);
    EXPECT_EQ(f.Chart120.LeftMax(), c.voltMax);
    EXPECT_EQ(f.Chart110.LeftFormat(), c.concFormat);
    EXPECT_EQ(f.Chart110.LeftSeparation(), c.concSeparation);
    EXPECT_EQ(f.Chart120.LeftFormat(), c.voltFormat);
    EXPECT_EQ(f.Chart120.LeftSeparation(), c.voltSeparation);
  }
}

TEST_F(Channels, SecondChannelSetUpUsesItsOwnControls) {
  const std::string label1 = f.Label1121.Text();
  SetUpChannelOf(cat::kGasCO, 1);
  EXPECT_EQ(f.Label2121.Text(), "CO");
  EXPECT_EQ(f.Label2122.Text(), "мг");
  EXPECT_EQ(f.Label2123.Text(), "------");
  EXPECT_EQ(f.Label2124.Text(), "м3");
  EXPECT_EQ(f.Edit212.Text(), "000");
  EXPECT_EQ(f.Chart210.LeftMin(), -10);
  EXPECT_EQ(f.Chart210.LeftMax(), 200);
  EXPECT_EQ(f.Chart210.LeftFormat(), "000");
  EXPECT_EQ(f.Chart220.LeftMax(), 4);
  EXPECT_EQ(f.Chart220.LeftFormat(), "0.000");
  EXPECT_TRUE(f.LineSeries210.Points().empty());
  EXPECT_EQ(f.Label1121.Text(), label1);
  EXPECT_TRUE(f.LineSeries110.Points().empty());
}

TEST_F(Channels, PercentageKindsFormatTheFirstPairWhicheverTheChannel) {
  SetUpChannelOf(cat::kGasCO2Optical, 1);
  EXPECT_EQ(f.Chart110.LeftFormat(), "0.000");
  EXPECT_EQ(f.Chart120.LeftFormat(), "0000");
  EXPECT_EQ(f.Chart220.LeftFormat(), "");  // untouched
  EXPECT_EQ(f.Chart220.LeftMax(), 10000);   // the axis range is the channel's own
}

// --- state flags

TEST_F(Channels, StateByteZeroOnChannelOne) {
  State(0x00, 0);
  EXPECT_EQ(f.Panel1110.Text(), "Начальная инициализация");
  EXPECT_EQ(f.Panel1110.Colour(), clr::Olive);
  for (Control* p : {&f.Panel1111, &f.Panel1112, &f.Panel1113, &f.Panel1114, &f.Panel1115, &f.Panel1116,
                     &f.Panel1117}) {
    EXPECT_EQ(p->Text(), "") << p->Name();
    EXPECT_EQ(p->Colour(), clr::BtnFace) << p->Name();
  }
  for (Control* e : {&f.Edit1110, &f.Edit1113, &f.Edit1117}) EXPECT_EQ(e->Text(), "0") << e->Name();
}

TEST_F(Channels, EveryStateBitByKind) {
  struct Case {
    std::uint8_t kind;
    const char* bit3;
    const char* bit2;
  };
  for (const Case& c : {Case{cat::kGasCO2Optical, "Нет связи с оптическим сенсором", "Ошибка версии ПО сенсора"},
                        Case{cat::kGasCH4, "Неисправность сенсора", "Ошибка настройки сенсора"}}) {
    gasKind = c.kind;
    State(0xFF, 1);  // channel 2 controls
    SCOPED_TRACE(int(c.kind));
    const std::pair<Control*, std::pair<const char*, TColor>> expected[] = {
        {&f.Panel2110, {"Рабочий режим", clr::BtnFace}},
        {&f.Panel2111, {"Было превышение порога", clr::Fuchsia}},
        {&f.Panel2112, {c.bit2, clr::Yellow}},
        {&f.Panel2113, {c.bit3, clr::Yellow}},
        {&f.Panel2114, {"Превышение порога 1", clr::Red}},
        {&f.Panel2115, {"Тест пороговых устройств", clr::Olive}},
        {&f.Panel2116, {"Сенсор отключен  >100 %нкпр", clr::Red}},
        {&f.Panel2117, {"Режим настройки", clr::Olive}},
    };
    for (const auto& [panel, look] : expected) {
      EXPECT_EQ(panel->Text(), look.first) << panel->Name();
      EXPECT_EQ(panel->Colour(), look.second) << panel->Name();
    }
    for (Control* e : {&f.Edit2110, &f.Edit2114, &f.Edit2117}) EXPECT_EQ(e->Text(), "1") << e->Name();
  }
  // A set bit that clears again returns its panel to the quiet state.
  State(0x01, 1);
  EXPECT_EQ(f.Panel2116.Text(), "");
  EXPECT_EQ(f.Panel2116.Colour(), clr::BtnFace);
  EXPECT_EQ(f.Edit2116.Text(), "0");
}

TEST_F(Channels, TemperatureChannelWithControlOff) {
  temperatureOff = true;
  for (std::uint8_t state : {std::uint8_t(0x00), std::uint8_t(0x01)}) {
    State(state, 2);
    EXPECT_EQ(f.Panel3110.Text(), "") << int(state);
    EXPECT_EQ(f.Panel3110.Colour(), clr::BtnFace) << int(state);
    EXPECT_EQ(f.Edit3110.Text(), state ? "1" : "0");
  }
  State(0x10, 2);
  EXPECT_EQ(f.Panel3114.Text(), "Превышение порога 1");  // only bit 0 is quieted

  temperatureOff = false;
  State(0x00, 2);
  EXPECT_EQ(f.Panel3110.Text(), "Начальная инициализация");
  // The quieting belongs to the temperature channel alone.
  temperatureOff = true;
  State(0x00, 0);
  EXPECT_EQ(f.Panel1110.Text(), "Начальная инициализация");
  EXPECT_EQ(f.Panel3110.Text(), "Начальная инициализация");
}

TEST_F(Channels, UnknownChannelIndexChangesNothing) {
  f.TakeDirty();
  State(0xFF, 3);
  EXPECT_TRUE(f.TakeDirty().empty());
}

// --- readings

TEST_F(Channels, ConcentrationSignAndOverrange) {
  SetUpChannelOf(cat::kGasCH4, 0);
  struct Step {
    std::uint8_t kind;
    int word;
    const char* text;
    double plotted;
  };
  const Step steps[] = {
      {1, 0x7FFB, "-0.05", -0.05},
      {1, 0xFFFB, ">-0.05", 5},     // over range: the axis maximum
      {13, 0x84D2, ">1.234", 5},
      {13, 0x04D2, "1.234", 1.234},
      {23, 0x0096, "150", 150},
      {0x80 | 1, 0x0005, "0.05", 0.05},  // only bits 0..5 of byte 8 name the kind
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const Step& s = steps[i];
    Concentration1(s.kind, s.word);
    EXPECT_EQ(f.Edit112.Text(), s.text) << s.word;
    EXPECT_DOUBLE_EQ(Y(f.LineSeries110, i), s.plotted) << s.word;
  }
}

TEST_F(Channels, OpticalSensorSignalMovesTheVoltageAxis) {
  gasKind = cat::kGasCO2Optical;
  const std::pair<int, double> cases[] = {{9499, 10000}, {9500, 20000}, {19499, 20000}, {19500, 35000}};
  for (auto [signal, axisMax] : cases) {
    SetDataWord(answer, 12, signal);
    Values();
    EXPECT_EQ(f.Chart120.LeftMax(), axisMax) << signal;
    EXPECT_EQ(f.Edit120.Text(), FormatValue(5, signal));
    EXPECT_EQ(f.Label120.Text(), "");
  }
  EXPECT_EQ(Y(f.LineSeries120, 3), 19500);

  // With the chart off the axis stays where it is.
  f.CheckBox120.SetChecked(false);
  SetDataWord(answer, 12, 100);
  Values();
  EXPECT_EQ(f.Chart120.LeftMax(), 35000);
  EXPECT_TRUE(f.LineSeries120.Points().empty());
}

TEST_F(Channels, SensorVoltageInVoltsForOtherKinds) {
  gasKind = cat::kGasCH4;
  f.Chart120.SetLeftMax(3);
  SetDataWord(answer, 12, 12345);
  Values();
  EXPECT_EQ(f.Edit120.Text(), "1.2345");
  EXPECT_EQ(f.Label120.Text(), "B");
  EXPECT_DOUBLE_EQ(Y(f.LineSeries120, 0), 1.2345);
  EXPECT_EQ(f.Chart120.LeftMax(), 3);
}

TEST_F(Channels, SupplyVoltageRoundsHalvesToEven) {
  const std::pair<int, const char*> cases[] = {
      {25000, "2.50"}, {25049, "2.50"}, {25050, "2.50"}, {25051, "2.51"},
      {25150, "2.52"}, {25149, "2.51"}, {50, "0.00"},    {150, "0.02"}};
  for (auto [raw, text] : cases) {
    SetDataWord(answer, 14, raw);
    Values();
    EXPECT_EQ(f.Edit141.Text(), text) << raw;
  }
}

TEST_F(Channels, ControlFlagsHighBitFirst) {
  SetData(answer, {{16, 0xA5}});
  Values();
  EXPECT_EQ(f.Edit143.Text(), "10100101");
}

TEST_F(Channels, SecondChannelOnlyForTheCombinedKind) {
  SetUpChannelOf(cat::kGasCO, 1);
  SetData(answer, {{18, 23}, {26, 0x81}});
  SetDataWord(answer, 20, 150);
  SetDataWord(answer, 22, 5000);
  SetDataWord(answer, 24, 33000);
  gasKind = cat::kGasCH4;
  f.Edit212.SetText("before");
  Values();
  EXPECT_EQ(f.Edit212.Text(), "before");
  EXPECT_EQ(f.Edit220.Text(), "0.0000");
  EXPECT_EQ(d.rings[2].fillCount, 0);
  EXPECT_EQ(d.rings[3].fillCount, 0);

  gasKind = cat::kGasCombined;
  Values();
  EXPECT_EQ(f.Edit212.Text(), "150");
  EXPECT_EQ(f.Edit220.Text(), "0.5000");
  EXPECT_EQ(f.Edit241.Text(), "3.30");
  EXPECT_EQ(f.Edit243.Text(), "10000001");
  EXPECT_DOUBLE_EQ(Y(f.LineSeries210, 0), 150);
  EXPECT_DOUBLE_EQ(Y(f.LineSeries220, 0), 0.5);
  EXPECT_EQ(f.Chart220.LeftMax(), 4);  // no axis change on channel 2
}

TEST_F(Channels, SecondChannelOverrangeUsesItsOwnAxis) {
  gasKind = cat::kGasCombined;
  SetUpChannelOf(cat::kGasCH4, 0);
  SetUpChannelOf(cat::kGasCO, 1);
  SetData(answer, {{8, 1}, {18, 23}});
  SetDataWord(answer, 20, 0x8000 | 250);
  Values();
  EXPECT_EQ(f.Edit212.Text(), ">250");
  EXPECT_EQ(Y(f.LineSeries210, 0), 200);
}

TEST_F(Channels, TemperatureWithSign) {
  gasKind = cat::kGasCO2Optical;
  const std::pair<int, const char*> cases[] = {
      {0x80, "-00"}, {0xFF, "-01"}, {0x19, "+25"}, {0x00, "00"}, {0xE7, "-25"}, {0x7F, "+127"}};
  for (auto [byte, text] : cases) {
    SetData(answer, {{29, byte}});
    Values();
    EXPECT_EQ(f.Edit312.Text(), text) << byte;
  }
  gasKind = cat::kGasC3H8;  // no temperature sensor on this kind
  SetData(answer, {{29, 0x19}});
  f.Edit312.SetText("XX");
  Values();
  EXPECT_EQ(f.Edit312.Text(), "XX");
}

// --- chart rings

// Only values received are drawn, oldest first from x = 1; past 100 the oldest
// leaves on the left, as it always did.
TEST_F(Channels, ChartDrawsTheValuesReceivedThenScrolls) {
  const int received[] = {1, 3, 99, 100, 101, 102, 250};
  for (const int n : received) {
    SetUpChannelOf(cat::kGasCO, 0);
    for (int v = 1; v <= n; ++v) Concentration1(cat::kGasCO, v);
    const int shown = std::min(n, 100);
    const auto& points = f.LineSeries110.Points();
    ASSERT_EQ(points.size(), static_cast<std::size_t>(shown)) << n << " received";
    for (int i = 0; i < shown; ++i) {
      const auto& p = points[static_cast<std::size_t>(i)];
      EXPECT_EQ(p.x, i + 1) << n << " received";
      EXPECT_EQ(p.y, n - shown + 1 + i) << n << " received, point " << i;
      EXPECT_EQ(p.colour, clr::Red);
    }
  }
}

TEST_F(Channels, UncheckedChartIsEmptiedAndItsRingKept) {
  SetUpChannelOf(cat::kGasCO, 0);
  Concentration1(cat::kGasCO, 7);
  f.CheckBox110.SetChecked(false);
  Concentration1(cat::kGasCO, 8);
  EXPECT_TRUE(f.LineSeries110.Points().empty());
  EXPECT_EQ(d.rings[0].fillCount, 1);
  EXPECT_EQ(d.rings[0].writePos, 1);
  EXPECT_EQ(f.Edit112.Text(), "008");  // the value is still shown

  f.CheckBox110.SetChecked(true);
  Concentration1(cat::kGasCO, 9);
  EXPECT_EQ(Ys(f.LineSeries110), (std::vector<double>{7, 9}));
}

TEST_F(Channels, RingPositionOutsideTheRingRestartsAtZero) {
  SetUpChannelOf(cat::kGasCO, 0);
  d.rings[0].writePos = 100;
  Concentration1(cat::kGasCO, 5);
  EXPECT_EQ(d.rings[0].values[0], 5);
  EXPECT_EQ(d.rings[0].writePos, 1);
  d.rings[0].writePos = -3;
  Concentration1(cat::kGasCO, 6);
  EXPECT_EQ(d.rings[0].values[0], 6);
}

// --- the whole status path: the display takes the unit's kind and the
// temperature control bit from the exchange's state.

class StatusPath : public test::ToolTest {};

TEST_F(StatusPath, TemperatureControlBitOfTheBlockQuietsTheTemperatureChannel) {
  poll().unit.gasKind = cat::kGasCO2Optical;
  Frame answer = test::Answer32();
  for (const bool off : {true, false}) {
    param::Set(poll().param, param::kTemperatureOff, off ? 1 : 0);
    t.display.ShowStatus(answer, false);
    EXPECT_EQ(t.f.Panel3110.Text(), off ? "" : "Начальная инициализация") << off;
    EXPECT_EQ(t.f.Panel1110.Text(), "Начальная инициализация") << off;
  }
  SetData(answer, {{19, 0x08}});  // channel 2's state byte, bit 3: the optical kind's text
  t.display.ShowStatus(answer, false);
  EXPECT_EQ(t.f.Panel2113.Text(), "Нет связи с оптическим сенсором");
}

}  // namespace
}  // namespace zhv
