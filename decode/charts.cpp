#include "decode/charts.h"

#include <algorithm>
#include <vector>

namespace zhv {

namespace {

constexpr int kRingSize = static_cast<int>(std::tuple_size_v<decltype(ChartRing::values)>);

// One replacement of the whole series: the chart redraws once per value. The
// `count` values from `start` on are drawn from x = 1.
std::vector<SeriesControl::Point> Points(const ChartRing& ring, int start, int count) {
  std::vector<SeriesControl::Point> points;
  points.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    points.push_back({static_cast<double>(i + 1),
                      ring.values[static_cast<std::size_t>((start + i) % kRingSize)], clr::Red});
  return points;
}

}  // namespace

void RestartChart(ChartRing& ring, SeriesControl& series) {
  ring = {};
  series.SetPoints({});
}

void AppendToChart(ChartRing& ring, SeriesControl& series, double value) {
  // The ring lives in the shared record; a position it does not hold restarts at 0.
  const int pos = ring.writePos >= 0 && ring.writePos < kRingSize ? ring.writePos : 0;
  ring.values[static_cast<std::size_t>(pos)] = value;
  ring.writePos = (pos + 1) % kRingSize;
  ring.fillCount = std::clamp(ring.fillCount + 1, 1, kRingSize);
  // The values received, the newest last; once full, from the oldest on.
  const int start = (pos + 1 - ring.fillCount + kRingSize) % kRingSize;
  series.AddValue(Points(ring, start, ring.fillCount));
}

void PlotIfEnabled(const Control& enable, ChartRing& ring, SeriesControl& series, double value) {
  if (enable.Checked())
    AppendToChart(ring, series, value);
  else
    series.Clear();
}

}  // namespace zhv
