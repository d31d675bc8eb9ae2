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

// Values of one live chart: exactly 100, drawn oldest first once full.
struct ChartRing {
  std::array<double, 100> values{};
  int writePos = 0;
  int fillCount = 0;
};

// Empties the ring and fills it, and the series, with one value.
void FillChart(ChartRing& ring, SeriesControl& series, double value);

// Puts a value into the ring and redraws the series oldest first.
void AppendToChart(ChartRing& ring, SeriesControl& series, double value);

// Appends while the chart's "Разрешить график" box is checked; otherwise the
// series is emptied and the ring kept, so checking it again resumes.
void PlotIfEnabled(const Control& enable, ChartRing& ring, SeriesControl& series, double value);

}  // namespace zhv
