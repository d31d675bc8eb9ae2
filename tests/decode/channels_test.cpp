#include <string>
#include <vector>

#include "tool_fixture.h"

namespace zhv {
namespace {

class Channels : public DecoderTest {
 protected:
  std::vector<double> Ys(const SeriesControl& series) {
    std::vector<double> ys;
    for (const auto& p : series.Points()) ys.push_back(p.y);
    return ys;
  }
  // One status response with a channel 1 concentration word and kind.
  void Concentration1(std::uint8_t kind, int word) {
    Data({{8, kind}});
    DataWord(10, word);
    ShowChannelValues(t);
  }
  double LastPlotted(const SeriesControl& series, std::size_t index) { return series.Points().at(index).y; }
};

// --- set-up by gas kind

TEST_F(Channels, SetUpStartsBothChartsBelowTheirRange) {
  t.f.CheckBox110.SetChecked(false);
  t.r.rings[0].writePos = 37;
  t.r.rings[0].fillCount = 100;
  SetUpChannel(t, 1, 0);

  EXPECT_TRUE(t.f.CheckBox110.Checked());
  EXPECT_EQ(t.f.Chart110.LeftMin(), -1);
  EXPECT_EQ(t.f.Chart110.LeftMax(), 5);
  EXPECT_EQ(t.f.Chart120.LeftMin(), 0);
  EXPECT_EQ(t.f.Chart120.LeftMax(), 3);
  EXPECT_EQ(t.r.rings[0].writePos, 0);
  EXPECT_EQ(t.r.rings[0].fillCount, 0);

  const auto& points = t.f.LineSeries110.Points();
  ASSERT_EQ(points.size(), 100u);
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(points[i].x, double(i + 1));
    EXPECT_EQ(points[i].y, -2);
    EXPECT_EQ(points[i].colour, clr::Red);
  }
  EXPECT_EQ(Ys(t.f.LineSeries120), std::vector<double>(100, -1));
  EXPECT_EQ(t.r.rings[1].values[99], -1);
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
    SetUpChannel(t, c.kind, 0);
    SCOPED_TRACE(int(c.kind));
    EXPECT_EQ(t.f.Label1121.Text(), c.gas);
    EXPECT_EQ(t.f.Label1122.Text(), c.upper);
    EXPECT_EQ(t.f.Label1123.Text(), c.fraction);
    EXPECT_EQ(t.f.Label1124.Text(), c.lower);
    EXPECT_EQ(t.f.Label1125.Text(), c.mark);
    EXPECT_EQ(t.f.Edit112.Text(), c.initial);
    EXPECT_EQ(t.f.Chart110.LeftMin(), c.concMin);
    EXPECT_EQ(t.f.Chart110.LeftMax(), c.concMax);
    EXPECT_EQ(t.f.Chart120.LeftMax(), c.voltMax);
    EXPECT_EQ(t.f.Chart110.LeftFormat(), c.concFormat);
    EXPECT_EQ(t.f.Chart110.LeftSeparation(), c.concSeparation);
    EXPECT_EQ(t.f.Chart120.LeftFormat(), c.voltFormat);
    EXPECT_EQ(t.f.Chart120.LeftSeparation(), c.voltSeparation);
  }
}

TEST_F(Channels, SecondChannelSetUpUsesItsOwnControls) {
  const std::string label1 = t.f.Label1121.Text();
  SetUpChannel(t, 23, 1);
  EXPECT_EQ(t.f.Label2121.Text(), "CO");
  EXPECT_EQ(t.f.Label2122.Text(), "мг");
  EXPECT_EQ(t.f.Label2123.Text(), "------");
  EXPECT_EQ(t.f.Label2124.Text(), "м3");
  EXPECT_EQ(t.f.Edit212.Text(), "000");
  EXPECT_EQ(t.f.Chart210.LeftMin(), -10);
  EXPECT_EQ(t.f.Chart210.LeftMax(), 200);
  EXPECT_EQ(t.f.Chart210.LeftFormat(), "000");
  EXPECT_EQ(t.f.Chart220.LeftMax(), 4);
  EXPECT_EQ(t.f.Chart220.LeftFormat(), "0.000");
  EXPECT_EQ(Ys(t.f.LineSeries210), std::vector<double>(100, -11));
  EXPECT_EQ(t.f.Label1121.Text(), label1);
  EXPECT_TRUE(t.f.LineSeries110.Points().empty());
}

TEST_F(Channels, PercentageKindsFormatTheFirstPairWhicheverTheChannel) {
  SetUpChannel(t, 13, 1);
  EXPECT_EQ(t.f.Chart110.LeftFormat(), "0.000");
  EXPECT_EQ(t.f.Chart120.LeftFormat(), "0000");
  EXPECT_EQ(t.f.Chart220.LeftFormat(), "");  // untouched
  EXPECT_EQ(t.f.Chart220.LeftMax(), 10000);   // the axis range is the channel's own
}

// --- state flags

TEST_F(Channels, StateByteZeroOnChannelOne) {
  ShowChannelState(t, 0x00, 0);
  EXPECT_EQ(t.f.Panel1110.Text(), "Начальная инициализация");
  EXPECT_EQ(t.f.Panel1110.Colour(), clr::Olive);
  for (Control* p : {&t.f.Panel1111, &t.f.Panel1112, &t.f.Panel1113, &t.f.Panel1114,
                     &t.f.Panel1115, &t.f.Panel1116, &t.f.Panel1117}) {
    EXPECT_EQ(p->Text(), "") << p->Name();
    EXPECT_EQ(p->Colour(), clr::BtnFace) << p->Name();
  }
  for (Control* e : {&t.f.Edit1110, &t.f.Edit1113, &t.f.Edit1117}) EXPECT_EQ(e->Text(), "0");
}

TEST_F(Channels, EveryStateBitByKind) {
  struct Case {
    std::uint8_t kind;
    const char* bit3;
    const char* bit2;
  };
  for (const Case& c : {Case{13, "Нет связи с оптическим сенсором", "Ошибка версии ПО сенсора"},
                        Case{1, "Неисправность сенсора", "Ошибка настройки сенсора"}}) {
    t.r.gasKind = c.kind;
    ShowChannelState(t, 0xFF, 1);  // channel 2 controls
    SCOPED_TRACE(int(c.kind));
    const std::pair<Control*, std::pair<const char*, TColor>> expected[] = {
        {&t.f.Panel2110, {"Рабочий режим", clr::BtnFace}},
        {&t.f.Panel2111, {"Было превышение порога", clr::Fuchsia}},
        {&t.f.Panel2112, {c.bit2, clr::Yellow}},
        {&t.f.Panel2113, {c.bit3, clr::Yellow}},
        {&t.f.Panel2114, {"Превышение порога 1", clr::Red}},
        {&t.f.Panel2115, {"Тест пороговых устройств", clr::Olive}},
        {&t.f.Panel2116, {"Сенсор отключен  >100 %нкпр", clr::Red}},
        {&t.f.Panel2117, {"Режим настройки", clr::Olive}},
    };
    for (const auto& [panel, look] : expected) {
      EXPECT_EQ(panel->Text(), look.first) << panel->Name();
      EXPECT_EQ(panel->Colour(), look.second) << panel->Name();
    }
    for (Control* e : {&t.f.Edit2110, &t.f.Edit2114, &t.f.Edit2117}) EXPECT_EQ(e->Text(), "1");
  }
  // A set bit that clears again returns its panel to the quiet state.
  ShowChannelState(t, 0x01, 1);
  EXPECT_EQ(t.f.Panel2116.Text(), "");
  EXPECT_EQ(t.f.Panel2116.Colour(), clr::BtnFace);
  EXPECT_EQ(t.f.Edit2116.Text(), "0");
}

TEST_F(Channels, TemperatureChannelWithControlOff) {
  t.r.param[0] = 0x10;
  for (std::uint8_t state : {std::uint8_t(0x00), std::uint8_t(0x01)}) {
    ShowChannelState(t, state, 2);
    EXPECT_EQ(t.f.Panel3110.Text(), "") << int(state);
    EXPECT_EQ(t.f.Panel3110.Colour(), clr::BtnFace) << int(state);
    EXPECT_EQ(t.f.Edit3110.Text(), state ? "1" : "0");
  }
  ShowChannelState(t, 0x10, 2);
  EXPECT_EQ(t.f.Panel3114.Text(), "Превышение порога 1");  // only bit 0 is quieted

  t.r.param[0] = 0x00;
  ShowChannelState(t, 0x00, 2);
  EXPECT_EQ(t.f.Panel3110.Text(), "Начальная инициализация");
  // The quieting belongs to the temperature channel alone.
  t.r.param[0] = 0x10;
  ShowChannelState(t, 0x00, 0);
  EXPECT_EQ(t.f.Panel1110.Text(), "Начальная инициализация");
  EXPECT_EQ(t.f.Panel3110.Text(), "Начальная инициализация");
}

TEST_F(Channels, UnknownChannelIndexChangesNothing) {
  t.f.TakeDirty();
  ShowChannelState(t, 0xFF, 3);
  EXPECT_TRUE(t.f.TakeDirty().empty());
}

// --- readings

TEST_F(Channels, ConcentrationSignAndOverrange) {
  SetUpChannel(t, 1, 0);
  Concentration1(1, 0x7FFB);
  EXPECT_EQ(t.f.Edit112.Text(), "-0.05");
  EXPECT_DOUBLE_EQ(LastPlotted(t.f.LineSeries110, 0), -0.05);

  Concentration1(1, 0xFFFB);
  EXPECT_EQ(t.f.Edit112.Text(), ">-0.05");
  EXPECT_EQ(LastPlotted(t.f.LineSeries110, 1), 5);  // the axis maximum

  Concentration1(13, 0x84D2);
  EXPECT_EQ(t.f.Edit112.Text(), ">1.234");
  EXPECT_EQ(LastPlotted(t.f.LineSeries110, 2), 5);

  Concentration1(13, 0x04D2);
  EXPECT_EQ(t.f.Edit112.Text(), "1.234");
  EXPECT_DOUBLE_EQ(LastPlotted(t.f.LineSeries110, 3), 1.234);

  Concentration1(23, 0x0096);
  EXPECT_EQ(t.f.Edit112.Text(), "150");
  EXPECT_DOUBLE_EQ(LastPlotted(t.f.LineSeries110, 4), 150);

  Concentration1(0x80 | 1, 0x0005);  // only bits 0..5 of byte 8 name the kind
  EXPECT_EQ(t.f.Edit112.Text(), "0.05");
}

TEST_F(Channels, OpticalSensorSignalMovesTheVoltageAxis) {
  t.r.gasKind = 13;
  const std::pair<int, double> cases[] = {{9499, 10000}, {9500, 20000}, {19499, 20000}, {19500, 35000}};
  for (auto [signal, axisMax] : cases) {
    DataWord(12, signal);
    ShowChannelValues(t);
    EXPECT_EQ(t.f.Chart120.LeftMax(), axisMax) << signal;
    EXPECT_EQ(t.f.Edit120.Text(), FormatValue(5, signal));
    EXPECT_EQ(t.f.Label120.Text(), "");
  }
  EXPECT_EQ(LastPlotted(t.f.LineSeries120, 3), 19500);

  // With the chart off the axis stays where it is.
  t.f.CheckBox120.SetChecked(false);
  DataWord(12, 100);
  ShowChannelValues(t);
  EXPECT_EQ(t.f.Chart120.LeftMax(), 35000);
  EXPECT_TRUE(t.f.LineSeries120.Points().empty());
}

TEST_F(Channels, SensorVoltageInVoltsForOtherKinds) {
  t.r.gasKind = 1;
  t.f.Chart120.SetLeftMax(3);
  DataWord(12, 12345);
  ShowChannelValues(t);
  EXPECT_EQ(t.f.Edit120.Text(), "1.2345");
  EXPECT_EQ(t.f.Label120.Text(), "B");
  EXPECT_DOUBLE_EQ(LastPlotted(t.f.LineSeries120, 0), 1.2345);
  EXPECT_EQ(t.f.Chart120.LeftMax(), 3);
}

TEST_F(Channels, SupplyVoltageRoundsHalvesToEven) {
  const std::pair<int, const char*> cases[] = {
      {25000, "2.50"}, {25049, "2.50"}, {25050, "2.50"}, {25051, "2.51"},
      {25150, "2.52"}, {25149, "2.51"}, {50, "0.00"},    {150, "0.02"}};
  for (auto [raw, text] : cases) {
    DataWord(14, raw);
    ShowChannelValues(t);
    EXPECT_EQ(t.f.Edit141.Text(), text) << raw;
  }
}

TEST_F(Channels, ControlFlagsHighBitFirst) {
  Data({{16, 0xA5}});
  ShowChannelValues(t);
  EXPECT_EQ(t.f.Edit143.Text(), "10100101");
}

TEST_F(Channels, SecondChannelOnlyForTheCombinedKind) {
  SetUpChannel(t, 23, 1);
  Data({{18, 23}, {26, 0x81}});
  DataWord(20, 150);
  DataWord(22, 5000);
  DataWord(24, 33000);
  t.r.gasKind = 1;
  t.f.Edit212.SetText("before");
  ShowChannelValues(t);
  EXPECT_EQ(t.f.Edit212.Text(), "before");
  EXPECT_EQ(t.f.Edit220.Text(), "0.0000");
  EXPECT_EQ(t.r.rings[2].fillCount, 0);
  EXPECT_EQ(t.r.rings[3].fillCount, 0);

  t.r.gasKind = 27;
  ShowChannelValues(t);
  EXPECT_EQ(t.f.Edit212.Text(), "150");
  EXPECT_EQ(t.f.Edit220.Text(), "0.5000");
  EXPECT_EQ(t.f.Edit241.Text(), "3.30");
  EXPECT_EQ(t.f.Edit243.Text(), "10000001");
  EXPECT_DOUBLE_EQ(LastPlotted(t.f.LineSeries210, 0), 150);
  EXPECT_DOUBLE_EQ(LastPlotted(t.f.LineSeries220, 0), 0.5);
  EXPECT_EQ(t.f.Chart220.LeftMax(), 4);  // no axis change on channel 2
}

TEST_F(Channels, SecondChannelOverrangeUsesItsOwnAxis) {
  t.r.gasKind = 27;
  SetUpChannel(t, 1, 0);
  SetUpChannel(t, 23, 1);
  Data({{8, 1}, {18, 23}});
  DataWord(20, 0x8000 | 250);
  ShowChannelValues(t);
  EXPECT_EQ(t.f.Edit212.Text(), ">250");
  EXPECT_EQ(LastPlotted(t.f.LineSeries210, 0), 200);
}

TEST_F(Channels, TemperatureWithSign) {
  t.r.gasKind = 13;
  const std::pair<int, const char*> cases[] = {
      {0x80, "-00"}, {0xFF, "-01"}, {0x19, "+25"}, {0x00, "00"}, {0xE7, "-25"}, {0x7F, "+127"}};
  for (auto [byte, text] : cases) {
    Data({{29, byte}});
    ShowChannelValues(t);
    EXPECT_EQ(t.f.Edit312.Text(), text) << byte;
  }
  t.r.gasKind = 2;  // no temperature sensor on this kind
  Data({{29, 0x19}});
  t.f.Edit312.SetText("XX");
  ShowChannelValues(t);
  EXPECT_EQ(t.f.Edit312.Text(), "XX");
}

// --- chart rings

TEST_F(Channels, ChartFillsFromTheLeftThenScrolls) {
  SetUpChannel(t, 23, 0);  // filler -11
  auto plot = [&](int value) { Concentration1(23, value); };
  for (int v = 1; v <= 3; ++v) plot(v);
  std::vector<double> expected(100, -11);
  expected[0] = 1;
  expected[1] = 2;
  expected[2] = 3;
  EXPECT_EQ(Ys(t.f.LineSeries110), expected);

  for (int v = 4; v <= 100; ++v) plot(v);
  EXPECT_EQ(LastPlotted(t.f.LineSeries110, 0), 1);
  EXPECT_EQ(LastPlotted(t.f.LineSeries110, 99), 100);

  plot(101);  // the oldest value leaves on the left
  const auto& points = t.f.LineSeries110.Points();
  ASSERT_EQ(points.size(), 100u);
  for (std::size_t i = 0; i < 100; ++i) {
    EXPECT_EQ(points[i].x, double(i + 1));
    EXPECT_EQ(points[i].y, double(i + 2));
  }
  plot(102);
  EXPECT_EQ(LastPlotted(t.f.LineSeries110, 0), 3);
  EXPECT_EQ(LastPlotted(t.f.LineSeries110, 99), 102);
}

TEST_F(Channels, UncheckedChartIsEmptiedAndItsRingKept) {
  SetUpChannel(t, 23, 0);
  Concentration1(23, 7);
  t.f.CheckBox110.SetChecked(false);
  Concentration1(23, 8);
  EXPECT_TRUE(t.f.LineSeries110.Points().empty());
  EXPECT_EQ(t.r.rings[0].fillCount, 1);
  EXPECT_EQ(t.r.rings[0].writePos, 1);
  EXPECT_EQ(t.f.Edit112.Text(), "008");  // the value is still shown

  t.f.CheckBox110.SetChecked(true);
  Concentration1(23, 9);
  EXPECT_EQ(LastPlotted(t.f.LineSeries110, 0), 7);
  EXPECT_EQ(LastPlotted(t.f.LineSeries110, 1), 9);
  EXPECT_EQ(LastPlotted(t.f.LineSeries110, 2), -11);
}

TEST_F(Channels, RingPositionOutsideTheRingRestartsAtZero) {
  SetUpChannel(t, 23, 0);
  t.r.rings[0].writePos = 100;
  Concentration1(23, 5);
  EXPECT_EQ(t.r.rings[0].values[0], 5);
  EXPECT_EQ(t.r.rings[0].writePos, 1);
  t.r.rings[0].writePos = -3;
  Concentration1(23, 6);
  EXPECT_EQ(t.r.rings[0].values[0], 6);
}

}  // namespace
}  // namespace zhv
