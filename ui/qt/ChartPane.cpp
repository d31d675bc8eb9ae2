#include "ui/qt/ChartPane.h"

#include <QChart>
#include <QDateTime>
#include <QMouseEvent>
#include <QGraphicsLayout>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineSeries>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "ui/qt/ChartWindow.h"
#include "ui/qt/Colours.h"

namespace zhv {

namespace {
constexpr int kOverlayMargin = 2;
}

ChartPane::ChartPane(const ChartControl& model, QWidget* parent)
    : QChartView(parent),
      model_(model),
      series_(new QLineSeries),
      left_(new QValueAxis),
      bottom_(new QValueAxis),
      title_(new QLabel(this)),
      overlay_(new QGridLayout(this)) {
  auto* chart = new QChart;
  chart->legend()->hide();
  chart->setBackgroundRoundness(0);
  chart->setBackgroundBrush(ToQColor(clr::BtnFace, palette()));
  chart->setPlotAreaBackgroundBrush(Qt::white);
  chart->setPlotAreaBackgroundVisible(true);
  chart->layout()->setContentsMargins(0, 0, 0, 0);

  series_->setColor(Qt::red);
  series_->setPointsVisible(false);
  series_->setPointLabelsVisible(false);
  chart->addSeries(series_);

  bottom_->setLabelFormat("%.0f");
  bottom_->setTickType(QValueAxis::TicksDynamic);
  bottom_->setTickAnchor(0);
  bottom_->setTickInterval(20);
  bottom_->setRange(1, 100);
  left_->setTickType(QValueAxis::TicksDynamic);
  left_->setTickAnchor(0);
  for (QValueAxis* axis : {left_, bottom_}) {
    axis->setLabelsFont(font());
    axis->setMinorGridLineVisible(false);
  }
  chart->addAxis(bottom_, Qt::AlignBottom);
  chart->addAxis(left_, Qt::AlignLeft);
  series_->attachAxis(bottom_);
  series_->attachAxis(left_);
  // The view made a default chart of its own and lets go of it here without deleting it.
  QChart* made = this->chart();
  setChart(chart);
  delete made;

  // The title stays left-aligned with its leading blanks, which QChart's own title cannot do.
  title_->setTextFormat(Qt::PlainText);
  title_->setObjectName(QString::fromUtf8(model.Name()) + "Title");
  overlay_->setContentsMargins(kOverlayMargin, kOverlayMargin, kOverlayMargin, kOverlayMargin);
  overlay_->setSpacing(2);
  overlay_->addWidget(title_, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
  overlay_->setColumnStretch(0, 1);
  SyncChart();
}

ChartWindow* ChartPane::Window() const { return window_; }

ChartWindow* ChartPane::OpenWindow() {
  if (!window_) window_ = new ChartWindow(*this, window());
  window_->show();
  window_->raise();
  window_->activateWindow();
  return window_;
}

void ChartPane::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QChartView::mouseDoubleClickEvent(event);
  OpenWindow();
  event->accept();
}

void ChartPane::ReserveOverlay() {
  overlay_->setRowStretch(overlay_->rowCount(), 1);
  int height = 0;
  for (int row = 0; row < overlay_->rowCount() - 1; ++row) {
    int rowHeight = 0;
    for (int col = 0; col < overlay_->columnCount(); ++col) {
      if (QLayoutItem* item = overlay_->itemAtPosition(row, col))
        rowHeight = std::max(rowHeight, item->sizeHint().height());
    }
    height += rowHeight + (row ? overlay_->verticalSpacing() : 0);
  }
  chart()->setMargins(QMargins(4, height + 2 * kOverlayMargin, 8, 2));
}

void ChartPane::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  SetLeftAxis(left_->min(), left_->max());  // the room for labels has changed
}

void ChartPane::SetLeftAxis(double min, double max) {
  const QMargins margins = chart()->margins();
  const int labelHeight = QFontMetrics(left_->labelsFont()).height();
  const int room = height() - margins.top() - margins.bottom() - 2 * labelHeight;
  const double interval = TickInterval(min, max, model_.LeftSeparation(), room, labelHeight);
  // Qt lays the axis out at each of the two changes. Widening the interval first, or
  // narrowing it last, keeps the state in between at no more ticks than the old or the
  // new axis has; the other order can ask for tens of thousands of labels at once.
  if (interval >= left_->tickInterval()) {
    left_->setTickInterval(interval);
    left_->setRange(min, max);
  } else {
    left_->setRange(min, max);
    left_->setTickInterval(interval);
  }
}

void ChartPane::SyncChart() {
  title_->setText(QString::fromStdString(model_.Text()));
  double min = model_.LeftMin();
  double max = model_.LeftMax();
  if (!(max > min)) max = min + 1;  // a degenerate range would leave the axis undrawn
  SetLeftAxis(min, max);
  left_->setLabelFormat(LabelFormat(model_.LeftFormat()));
  DrawGapMarks();  // across the axis as it is now
  setEnabled(model_.Enabled());
  setVisible(model_.Visible());
  if (window_) window_->Refresh();  // a new range or picture
}

void ChartPane::SyncSeries(const SeriesControl& series) {
  const auto& points = series.Points();
  // A value that is no number is a gap: the line breaks there. The axis spans the
  // 100 places of a full chart at least: one still filling grows from the left
  // instead of stretching its few points across.
  QList<QList<QPointF>> pieces(1);
  gaps_.clear();
  double minX = 1, maxX = 100;
  for (const auto& p : points) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    if (std::isnan(p.y)) {
      gaps_.append(p.x);
      if (!pieces.last().isEmpty()) pieces.append(QList<QPointF>{});
      continue;
    }
    pieces.last().append(QPointF(p.x, p.y));
  }
  bottom_->setRange(minX, maxX);
  while (earlier_.size() < pieces.size() - 1) earlier_.append(AddLine(series_->pen()));
  for (qsizetype i = 0; i < earlier_.size(); ++i)
    earlier_[i]->replace(i < pieces.size() - 1 ? pieces[i] : QList<QPointF>{});
  series_->replace(pieces.last());  // one redraw per change, not one per point
  DrawGapMarks();

  // The values added since the last look are the series' last ones; several may
  // have come between two looks, and they share its time. A gap is no value: the
  // window breaks its line on the silence itself.
  const std::uint64_t added = series.ValuesAdded();
  if (added > valuesSeen_) {
    const std::size_t fresh = static_cast<std::size_t>(std::min<std::uint64_t>(added - valuesSeen_, points.size()));
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (std::size_t i = points.size() - fresh; i < points.size(); ++i)
      if (!std::isnan(points[i].y)) history_.push_back({now, points[i].y});
    while (history_.size() > kHistoryLength) history_.pop_front();
    if (window_) window_->Refresh();
  }
  valuesSeen_ = added;
}

QLineSeries* ChartPane::AddLine(const QPen& pen) {
  auto* line = new QLineSeries;
  line->setPen(pen);
  chart()->addSeries(line);
  line->attachAxis(bottom_);
  line->attachAxis(left_);
  return line;
}

void ChartPane::DrawGapMarks() {
  while (marks_.size() < gaps_.size()) {
    QPen dashed(Qt::darkGray);
    dashed.setStyle(Qt::DashLine);
    marks_.append(AddLine(dashed));
  }
  for (qsizetype i = 0; i < marks_.size(); ++i) {
    if (i < gaps_.size())
      marks_[i]->replace({QPointF(gaps_[i], left_->min()), QPointF(gaps_[i], left_->max())});
    else
      marks_[i]->clear();
  }
}

QString ChartPane::LabelFormat(const std::string& picture) {
  if (picture.empty()) return "%.1f";
  int whole = 0, decimals = 0;
  bool point = false;
  for (char ch : picture) {
    if (ch == '.' || ch == ',') {
      point = true;
    } else if (ch == '0' || ch == '#') {
      (point ? decimals : whole) += 1;
    }
  }
  int width = whole + (decimals ? decimals + 1 : 0);
  if (whole > 1) return QString::asprintf("%%0%d.%df", width, decimals);
  return QString::asprintf("%%.%df", decimals);
}

double ChartPane::TickInterval(double min, double max, int separation, int room,
                               int labelHeight) {
  // Qt Charts cuts labels to "..." once they come closer than about half a label apart.
  const double spacing = 1.5 * labelHeight * (1 + std::max(separation, 0) / 100.0);
  const int labels = std::max(2, static_cast<int>(room / spacing));
  const double raw = (max - min) / labels;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double step : {1.0, 2.0, 5.0}) {
    if (step * magnitude >= raw * (1 - 1e-9)) return step * magnitude;
  }
  return 10 * magnitude;
}

}  // namespace zhv
