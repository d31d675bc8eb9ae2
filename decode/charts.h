// The live charts: each series is rebuilt from its 100-value ring.
#pragma once

#include <array>
#include <cmath>
#include <limits>

#include "ui/control.h"

namespace zhv {

// A value that stands for no value: the unit was away for a while. The line
// breaks there.
inline constexpr double kChartGap = std::numeric_limits<double>::quiet_NaN();
inline bool IsChartGap(double value) { return std::isnan(value); }

// Values of one live chart: the last 100 received, drawn oldest first from x = 1.
// Only values received are drawn: a chart that has had 30 shows 30 points.
struct ChartRing {
  std::array<double, 100> values{};
  int writePos = 0;
  int fillCount = 0;
};

// Empties the ring and the series: the chart starts again from no values.
void RestartChart(ChartRing& ring, SeriesControl& series);

// Puts a value into the ring and redraws the series oldest first.
void AppendToChart(ChartRing& ring, SeriesControl& series, double value);

// Appends while the chart's "Разрешить график" box is checked; otherwise the
// series is emptied and the ring kept, so checking it again resumes.
void PlotIfEnabled(const Control& enable, ChartRing& ring, SeriesControl& series, double value);

}  // namespace zhv
