// The records viewer beside the main one: a read-out's records as a table that
// sorts and filters, and as a chart of the concentrations against time.
#pragma once

#include <QAbstractTableModel>
#include <QChartView>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/records_window.h"

class QCheckBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QRubberBand;
class QTableView;
class QValueAxis;

namespace zhv {

class StatusLine;

// The rows as the core gave them, in the unit's order.
class RecordsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;
  void Reset(const RecordsView& view);
  const RecordsView& View() const { return view_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  RecordsView view_;
};

// What the table shows: the records with any of the ticked flags, sorted by a
// cell's number where it has one, else by its text.
class RecordsFilter : public QSortFilterProxyModel {
 public:
  using Flag = bool RecordRow::*;
  using QSortFilterProxyModel::QSortFilterProxyModel;
  void SetFlags(std::vector<Flag> flags);

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override;
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  const RecordsView& View() const;
  std::vector<Flag> flags_;
};

// The chart's view: the wheel and a rubber band zoom the time axis, a click
// picks a time.
class RecordsChartView : public QChartView {
 public:
  RecordsChartView(QChart* chart, QWidget* parent);
  std::function<void(double from, double to)> onZoom;  // the axis values to show
  std::function<void(double at)> onClick;               // the axis value clicked

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  double ValueAt(double x) const;
  QRubberBand* band_;
  QPoint origin_;
  bool pressed_ = false;
};

class RecordsPane : public QWidget {
 public:
  explicit RecordsPane(QWidget* owner);
  void Fill(const RecordsView& view);

  // The record shown selected in the table, as an index of the view's rows; -1: none.
  int SelectedRecord() const;
  void SelectRecord(int record);
  // The record nearest in time to a point of the time axis among those the table shows; -1: none.
  int NearestRecord(double axisMs) const;
  // Shows this part of the time axis (milliseconds as the axis counts them), kept within the period.
  void ZoomTo(double from, double to);
  void ShowWholePeriod();

  QTableView* Table() const { return table_; }
  RecordsChartView* ChartView() const { return chart_; }
  QDateTimeAxis* TimeAxis() const { return time_; }
  QLineSeries* SelectedMark() const { return selected_; }
  // The time axis value of a record's time: the unit's clock as read, drawn as local time.
  static double AxisMs(double seconds);

 private:
  void ApplyFilter();
  void DrawSeries();
  void MarkSelected();
  // The value axis fitted to what the lines show between two times.
  void FitValues(double from, double to);

  RecordsModel model_;
  RecordsFilter filter_;
  QLabel* heading_;
  std::vector<std::pair<QCheckBox*, RecordsFilter::Flag>> checks_;
  QLabel* shown_;
  QTableView* table_;
  StatusLine* status_;
  QChart* chartModel_;
  RecordsChartView* chart_;
  QDateTimeAxis* time_;
  QValueAxis* values_;
  QLineSeries* lines_[2];
  QLineSeries* exceeded_;
  QLineSeries* faults_;
  QLineSeries* selected_;
  // Each drawable record's place on the time axis, by time: for the click's nearest record.
  std::vector<std::pair<double, int>> byTime_;
  QList<QPointF> drawn_[2];  // the lines' points, by time: what a zoom fits the value axis to
  double first_ = 0, last_ = 0;  // the whole period on the time axis
};

class QtRecordsWindow : public IRecordsWindow {
 public:
  // The window belongs to the main one and closes with it; it is made when first shown.
  void SetOwner(QWidget* owner) { owner_ = owner; }
  void Show(const RecordsView& view) override;
  RecordsPane* Window() const { return pane_; }

 private:
  QPointer<QWidget> owner_;
  QPointer<RecordsPane> pane_;
};

}  // namespace zhv
