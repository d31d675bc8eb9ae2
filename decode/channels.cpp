// Sensor channels: set-up by gas kind, state flags, and the readings of every
// status answer with their live charts.
#include "decode/codecs.h"
#include "decode/decoders.h"
#include "decode/show.h"
#include "decode/texts.h"
#include "protocol/gas_kinds.h"
#include "protocol/status_bits.h"

namespace zhv {

namespace {

// Starts a chart with no points (only values received are drawn), or carries
// on from what it shows after a gap.
void StartChart(Control& enable, ChartControl& chart, ChartRing& ring, SeriesControl& series,
                const ChartAxis& axis, bool afterGap) {
  enable.SetChecked(true);
  chart.SetLeftMax(axis.max);
  chart.SetLeftMin(axis.min);
  if (afterGap)
    AppendToChart(ring, series, kChartGap);
  else
    RestartChart(ring, series);
}

// Shows a concentration word: bit 15 over range, bits 0..14 a value whose sign
// is bit 14. Returns the chart value.
double ShowConcentration(std::uint8_t kind, std::int32_t w, Control& edit, const ChartControl& chart) {
  std::string text;
  std::int32_t value;
  if (w & bits::kConcNegative) {
    const std::int32_t magnitude = -w & bits::kConcMagnitude;
    text = "-" + FormatByKind(kind, magnitude);
    value = -magnitude;
  } else {
    value = w & bits::kConcMagnitude;
    text = FormatByKind(kind, value);
  }
  double chartValue = value / KindScale(kind);
  if (w & bits::kConcOverRange) {
    chartValue = chart.LeftMax();
    text.insert(0, 1, '>');
  }
  edit.SetText(text);
  return chartValue;
}

// The sensor supply voltage is shown in steps of 100 raw counts, rounded to
// nearest with halves to even.
std::int32_t ToSupplySteps(std::int32_t raw) {
  std::int32_t steps = raw / 100;
  const std::int32_t rest = raw % 100;
  if (rest > 50 || (rest == 50 && (steps & 1))) ++steps;
  return steps;
}

void ShowControlFlags(Control& edit, std::uint8_t flags) {
  char digits[8];
  for (int i = 0; i < 8; ++i) digits[i] = (flags & (0x80 >> i)) ? '1' : '0';
  show::Text(edit, std::string_view(digits, 8));
}

std::string TemperatureText(std::uint8_t t) {
  if (t & 0x80) return "-" + FormatValue(2, (256 - t) & 0x7F);
  if (t != 0) return "+" + FormatValue(2, t);
  return txt::kNoTemperature;
}

// One channel's eight flag digits and panels, each bit its own.
struct StateRow {
  std::array<Control*, 8> edits, panels;
};

StateRow StateRowOf(TForm1& f, int channelIndex) {
  switch (channelIndex) {
    case 0:
      return {{&f.Edit1110, &f.Edit1111, &f.Edit1112, &f.Edit1113, &f.Edit1114, &f.Edit1115, &f.Edit1116, &f.Edit1117},
              {&f.Panel1110, &f.Panel1111, &f.Panel1112, &f.Panel1113, &f.Panel1114, &f.Panel1115, &f.Panel1116,
               &f.Panel1117}};
    case 1:
      return {{&f.Edit2110, &f.Edit2111, &f.Edit2112, &f.Edit2113, &f.Edit2114, &f.Edit2115, &f.Edit2116, &f.Edit2117},
              {&f.Panel2110, &f.Panel2111, &f.Panel2112, &f.Panel2113, &f.Panel2114, &f.Panel2115, &f.Panel2116,
               &f.Panel2117}};
    default:
      return {{&f.Edit3110, &f.Edit3111, &f.Edit3112, &f.Edit3113, &f.Edit3114, &f.Edit3115, &f.Edit3116, &f.Edit3117},
              {&f.Panel3110, &f.Panel3111, &f.Panel3112, &f.Panel3113, &f.Panel3114, &f.Panel3115, &f.Panel3116,
               &f.Panel3117}};
  }
}

}  // namespace

void SetUpChannel(TForm1& f, DisplayState& d, std::uint8_t gasKind, int channel) {
  const ChannelSetUp& k = GasKindOf(gasKind).channel;
  const bool first = channel == 0;

  ChartControl& concChart = first ? f.Chart110 : f.Chart210;
  ChartControl& voltChart = first ? f.Chart120 : f.Chart220;
  std::uint8_t& shownKind = d.chartKinds[first ? 0 : 1];
  const bool afterGap = d.chartsAcrossGap && shownKind == gasKind;
  shownKind = gasKind;
  StartChart(first ? f.CheckBox110 : f.CheckBox210, concChart, d.rings[first ? 0 : 2],
             first ? f.LineSeries110 : f.LineSeries210, k.concentration, afterGap);
  StartChart(first ? f.CheckBox120 : f.CheckBox220, voltChart, d.rings[first ? 1 : 3],
             first ? f.LineSeries120 : f.LineSeries220, k.voltage, afterGap);

  ChartControl& concFormat = k.formatsFirstPair ? f.Chart110 : concChart;
  ChartControl& voltFormat = k.formatsFirstPair ? f.Chart120 : voltChart;
  concFormat.SetLeftFormat(k.concentration.picture, k.concentration.separation);
  voltFormat.SetLeftFormat(k.voltage.picture, k.voltage.separation);

  if (first) {
    show::Text(f.Label1121, k.gas);
    show::Text(f.Label1122, k.upperUnit);
    show::Text(f.Label1123, k.fractionLine);
    show::Text(f.Label1124, k.lowerUnit);
    show::Text(f.Label1125, k.mark);
    show::Text(f.Edit112, k.initialValue);
  } else {
    show::Text(f.Label2121, k.gas);
    show::Text(f.Label2122, k.upperUnit);
    show::Text(f.Label2123, k.fractionLine);
    show::Text(f.Label2124, k.lowerUnit);
    show::Text(f.Edit212, k.initialValue);
  }
}

void ShowChannelState(TForm1& f, std::uint8_t unitGasKind, bool temperatureOff, std::uint8_t stateByte,
                      int channelIndex) {
  if (channelIndex < 0 || channelIndex > 2) return;
  const StateRow row = StateRowOf(f, channelIndex);

  // The unit's own kind decides the fault texts on every channel.
  const bool optical = GasKindOf(unitGasKind).optical;
  struct Flag {
    const char* text;
    TColor colour;
  };
  const Flag quiet{"", clr::BtnFace};
  const Flag whenSet[8] = {
      {txt::kStateWorking, clr::BtnFace},
      {txt::kStateWasThreshold, clr::Fuchsia},
      {optical ? txt::kStateOpticalVersion : txt::kStateSensorSetup, clr::Yellow},
      {optical ? txt::kStateNoOptical : txt::kStateSensorFault, clr::Yellow},
      {txt::kStateThreshold, clr::Red},
      {txt::kStateTest, clr::Olive},
      {txt::kStateSensorOff, clr::Red},
      {txt::kStateSetup, clr::Olive},
  };
  for (int bit = 0; bit < 8; ++bit) {
    const bool set = stateByte & (1u << bit);
    show::Text(*row.edits[bit], show::Bit(set));
    Flag shown = set ? whenSet[bit] : quiet;
    if (bit == 0 && !set) shown = {txt::kStateInit, clr::Olive};
    row.panels[bit]->SetColour(shown.colour);
    show::Text(*row.panels[bit], shown.text);
  }

  // With temperature control off the temperature sensor's state is no news.
  if (channelIndex == 2 && temperatureOff) {
    show::Text(f.Panel3110, "");
    f.Panel3110.SetColour(clr::BtnFace);
  }
}

void ShowChannelValues(TForm1& f, DisplayState& d, std::uint8_t unitGasKind, const Status& s) {
  auto& rings = d.rings;
  const ChannelReading& c1 = s.channels[0];
  PlotIfEnabled(f.CheckBox110, rings[0], f.LineSeries110,
                ShowConcentration(c1.kind, c1.concentration, f.Edit112, f.Chart110));

  const std::int32_t v = c1.voltage;
  const GasKind& kind = GasKindOf(unitGasKind);
  const bool optical = kind.optical;
  f.Edit120.SetText(FormatValue(optical ? 5 : 0x45, v));
  show::Text(f.Label120, optical ? "" : txt::kVolts);
  if (f.CheckBox120.Checked() && optical) f.Chart120.SetLeftMax(v < 9500 ? 10000 : v < 19500 ? 20000 : 35000);
  PlotIfEnabled(f.CheckBox120, rings[1], f.LineSeries120, optical ? v : v / 10000.0);

  f.Edit141.SetText(FormatValue(0x23, ToSupplySteps(c1.supply)));
  ShowControlFlags(f.Edit143, c1.controlFlags);

  if (kind.secondChannel) {
    const ChannelReading& c2 = s.channels[1];
    PlotIfEnabled(f.CheckBox210, rings[2], f.LineSeries210,
                  ShowConcentration(c2.kind, c2.concentration, f.Edit212, f.Chart210));
    const std::int32_t v2 = c2.voltage;
    f.Edit220.SetText(FormatValue(0x45, v2));
    PlotIfEnabled(f.CheckBox220, rings[3], f.LineSeries220, v2 / 10000.0);
    f.Edit241.SetText(FormatValue(0x23, ToSupplySteps(c2.supply)));
    ShowControlFlags(f.Edit243, c2.controlFlags);
  }

  if (kind.temperatureSensor) f.Edit312.SetText(TemperatureText(s.temperature));
}

}  // namespace zhv
