// A chart of the window: one red line series, a left axis set by the model,
// a bottom axis that follows the points, and the chart's own controls laid over it.
#pragma once

#include <QChartView>
#include <QPointer>
#include <QList>
#include <QString>
#include <cstdint>
#include <deque>

#include "ui/control.h"

class QGridLayout;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace zhv {

class ChartWindow;

// One value of a chart as it came, with the time it was shown (ms since the epoch).
struct ChartSample {
  qint64 time;
  double value;
};

class ChartPane : public QChartView {
 public:
  ChartPane(const ChartControl& model, QWidget* parent);

  // Title row and the chart's own controls (column 0 holds the title).
  QGridLayout* Overlay() const { return overlay_; }
  // Keeps the plot clear of the overlaid controls; call once they are placed.
  void ReserveOverlay();

  void SyncChart();
  void SyncSeries(const SeriesControl& series);

  QLineSeries* Series() const { return series_; }
  QValueAxis* LeftAxis() const { return left_; }
  QValueAxis* BottomAxis() const { return bottom_; }
  QLabel* Title() const { return title_; }
  const ChartControl& Model() const { return model_; }

  // Every value the chart has shown since the program started, oldest first, each
  // with its time; the oldest go beyond kHistoryLength.
  const std::deque<ChartSample>& History() const { return history_; }
  static constexpr std::size_t kHistoryLength = 4 * 3600;  // four hours at a value a second
  // The chart in a window of its own (opened by a double-click); null until then.
  ChartWindow* Window() const;
  ChartWindow* OpenWindow();

  // The window's numeric pictures ("0.000", "0000") as printf formats ("%.3f", "%04.0f").
  static QString LabelFormat(const std::string& picture);
  // A round tick interval for labels spread over room pixels, kept apart by the
  // separation (per cent of a label's height) on top of a readable minimum.
  static double TickInterval(double min, double max, int separation, int room, int labelHeight);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // Range and tick interval together, in the order that keeps every layout small.
  void SetLeftAxis(double min, double max);
  // A line series on both axes, as the chart's own.
  QLineSeries* AddLine(const QPen& pen);
  // A dashed upright line at each gap, across the left axis.
  void DrawGapMarks();

  const ChartControl& model_;
  QLineSeries* series_;          // the values since the last gap
  QList<QLineSeries*> earlier_;  // those before it, a series between each two gaps
  QList<QLineSeries*> marks_;    // one per gap
  QList<double> gaps_;           // where the gaps stand on the bottom axis
  QValueAxis* left_;
  QValueAxis* bottom_;
  QLabel* title_;
  QGridLayout* overlay_;
  std::deque<ChartSample> history_;
  std::uint64_t valuesSeen_ = 0;  // of the series' values added
  QPointer<ChartWindow> window_;  // the main window's, gone with it
};

}  // namespace zhv
