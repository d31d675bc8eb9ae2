// A chart of the window in a window of its own, opened by a double-click on it:
// as large as the operator makes it, every value since the program started
// against the time it came, the value axis fitted to them or as the chart has
// it, a pause, and the picture or the values saved to a file.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "ui/qt/ChartPane.h"

class QChart;
class QChartView;
class QCheckBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace zhv {

class ChartWindow : public QWidget {
 public:
  // A window of its own that belongs to `owner`, the main window: it closes with
  // it and never keeps the program running.
  ChartWindow(const ChartPane& pane, QWidget* owner);

  // The pane has new values or settings: drawn unless paused.
  void Refresh();
  void SetPaused(bool paused);
  bool Paused() const { return paused_; }
  // Writes what the window shows: a PNG picture, or the values as a table.
  bool SavePicture(const QString& path) const;
  bool SaveValues(const QString& path) const;

  QChartView* View() const { return view_; }
  const std::vector<ChartSample>& Shown() const { return shown_; }

  // Values further apart in time than this are drawn as separate lines: the unit
  // was silent, gone, or not asked in between.
  static constexpr qint64 kGapMs = 5000;
  // The table of values: a heading line, then time and value per line, separated
  // by ";", the value with the given decimal point; lines end in CR LF.
  static QString ValuesTable(const std::vector<ChartSample>& samples, const QString& heading, QChar decimalPoint);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Redraw();
  void Save();
  QString Heading() const;

  const ChartPane& pane_;
  QChart* chart_;
  QChartView* view_;
  QDateTimeAxis* time_;
  QValueAxis* values_;
  std::vector<QLineSeries*> lines_;
  QCheckBox* autoscale_;
  QPushButton* pause_;
  QPushButton* save_;
  QLabel* summary_;
  bool paused_ = false;
  std::vector<ChartSample> shown_;  // what is drawn: frozen while paused
  QString lastFolder_;
};

}  // namespace zhv
