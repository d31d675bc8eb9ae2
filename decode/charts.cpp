#include "decode/charts.h"

#include <vector>

namespace zhv {

namespace {

constexpr int kRingSize = static_cast<int>(std::tuple_size_v<decltype(ChartRing::values)>);

// One replacement of the whole series: the chart redraws once per value.
void Draw(const ChartRing& ring, int start, SeriesControl& series) {
  std::vector<SeriesControl::Point> points;
  points.reserve(kRingSize);
  for (int i = 0; i < kRingSize; ++i)
    points.push_back({static_cast<double>(i + 1),
                      ring.values[static_cast<std::size_t>((start + i) % kRingSize)], clr::Red});
  series.SetPoints(std::move(points));
}

}  // namespace

void FillChart(ChartRing& ring, SeriesControl& series, double value) {
  ring.writePos = 0;
  ring.fillCount = 0;
  ring.values.fill(value);
  Draw(ring, 0, series);
}

void AppendToChart(ChartRing& ring, SeriesControl& series, double value) {
  // The ring lives in the shared record; a position it does not hold restarts at 0.
  const int pos = ring.writePos >= 0 && ring.writePos < kRingSize ? ring.writePos : 0;
  ring.values[static_cast<std::size_t>(pos)] = value;
  ring.writePos = (pos + 1) % kRingSize;
  int start = 0;
  if (ring.fillCount < kRingSize)
    ++ring.fillCount;
  else
    start = ring.writePos;  // the oldest value
  Draw(ring, start, series);
}

void PlotIfEnabled(const Control& enable, ChartRing& ring, SeriesControl& series, double value) {
  if (enable.Checked())
    AppendToChart(ring, series, value);
  else
    series.Clear();
}

}  // namespace zhv
