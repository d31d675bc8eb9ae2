#include "ui/qt/RecordsWindow.h"

#include <QApplication>
#include <QChart>
#include <QCheckBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRubberBand>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/qt/StatusLine.h"

namespace zhv {

namespace {

QString Q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The filters, each a flag of the record: a record is shown when it has any ticked one.
struct FilterBox {
  const char* name;
  const char* text;
  bool RecordRow::*flag;
};
constexpr FilterBox kFilters[] = {
    {"RecordsExceeded", "Превышение порога", &RecordRow::exceeded},
    {"RecordsFault", "Авария", &RecordRow::fault},
    {"RecordsBadCheck", "Ошибка CRC", &RecordRow::badCheck},
    {"RecordsOnBattery", "Питание от АКБ", &RecordRow::onBattery},
};

const RecordCell* CellAt(const RecordsView& view, int row, int column) {
  if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= view.rows.size()) return nullptr;
  const auto& cells = view.rows[static_cast<std::size_t>(row)].cells;
  return static_cast<std::size_t>(column) < cells.size() ? &cells[static_cast<std::size_t>(column)] : nullptr;
}

// Where a record's mark sits: on channel 1's line, or on channel 2's when channel 1 has no value.
double MarkValue(const RecordRow& row, bool twoChannels) {
  return !std::isnan(row.concentration1) ? row.concentration1 : twoChannels ? row.concentration2 : NAN;
}

// The axis draws its values as local time, so the unit's clock reading becomes the local
// instant that reads the same. Zones change their offset on a quarter hour, so one offset
// serves a quarter hour of readings: a buffer of records asks the zone a few hundred times,
// not thousands.
class AxisClock {
 public:
  double operator()(double seconds) {
    if (!(std::abs(seconds) < 1e11)) return NAN;  // beyond any clock's range: no time at all
    const double ms = std::round(seconds * 1000);
    const auto quarter = static_cast<qint64>(std::floor(ms / kQuarterMs));
    if (quarter != quarter_) {
      quarter_ = quarter;
      const QDateTime clock = QDateTime::fromMSecsSinceEpoch(quarter * kQuarterMs, Qt::UTC);
      offsetMs_ = static_cast<double>(quarter * kQuarterMs - QDateTime(clock.date(), clock.time()).toMSecsSinceEpoch());
    }
    return ms - offsetMs_;
  }

 private:
  static constexpr qint64 kQuarterMs = 15 * 60 * 1000;
  qint64 quarter_ = std::numeric_limits<qint64>::min();
  double offsetMs_ = 0;
};

constexpr double kMinSpanMs = 2000;           // the closest zoom: a couple of seconds
constexpr double kDayMs = 24 * 3600 * 1000.0;

}  // namespace

// --- the table's rows

void RecordsModel::Reset(const RecordsView& view) {
  beginResetModel();
  view_ = view;
  endResetModel();
}

int RecordsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(view_.rows.size());
}

int RecordsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(view_.columns.size());
}

QVariant RecordsModel::data(const QModelIndex& index, int role) const {
  const RecordCell* cell = CellAt(view_, index.row(), index.column());
  if (!cell) return {};
  switch (role) {
    case Qt::DisplayRole: return Q(cell->text);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment((std::isnan(cell->number) ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
    case Qt::BackgroundRole: {
      // The same hues as the chart's marks, pale enough to read the text on.
      const RecordRow& row = view_.rows[static_cast<std::size_t>(index.row())];
      if (row.exceeded) return QColor(255, 215, 215);
      if (row.fault) return QColor(215, 215, 215);
      return {};
    }
    default: return {};
  }
}

QVariant RecordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      static_cast<std::size_t>(section) >= view_.columns.size())
    return QAbstractTableModel::headerData(section, orientation, role);
  return Q(view_.columns[static_cast<std::size_t>(section)]);
}

// --- what the table shows, in which order

const RecordsView& RecordsFilter::View() const { return static_cast<const RecordsModel*>(sourceModel())->View(); }

void RecordsFilter::SetFlags(std::vector<Flag> flags) {
  flags_ = std::move(flags);
  invalidateFilter();
}

bool RecordsFilter::filterAcceptsRow(int row, const QModelIndex&) const {
  if (flags_.empty()) return true;
  const auto& rows = View().rows;
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return false;
  const RecordRow& r = rows[static_cast<std::size_t>(row)];
  return std::any_of(flags_.begin(), flags_.end(), [&r](Flag f) { return r.*f; });
}

bool RecordsFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  static const RecordCell kNone;
  const RecordCell* a = CellAt(View(), left.row(), left.column());
  const RecordCell* b = CellAt(View(), right.row(), right.column());
  if (!a) a = &kNone;
  if (!b) b = &kNone;
  const bool na = !std::isnan(a->number), nb = !std::isnan(b->number);
  if (na != nb) return na;  // the cells with numbers first, then those with only a text
  if (na) return a->number < b->number;
  return a->text < b->text;  // UTF-8 in code point order: Cyrillic comes out alphabetical
}

// --- the chart's mouse

RecordsChartView::RecordsChartView(QChart* chart, QWidget* parent)
    : QChartView(chart, parent), band_(new QRubberBand(QRubberBand::Rectangle, viewport())) {
  setRubberBand(QChartView::NoRubberBand);  // our own: a click must select, not zoom into nothing
}

double RecordsChartView::ValueAt(double x) const {
  const auto axes = chart()->axes(Qt::Horizontal);
  auto* axis = axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis*>(axes.first());
  const QRectF plot = chart()->plotArea();
  if (!axis || plot.width() <= 0) return NAN;
  const double from = static_cast<double>(axis->min().toMSecsSinceEpoch());
  const double to = static_cast<double>(axis->max().toMSecsSinceEpoch());
  const QPointF at = chart()->mapFromScene(mapToScene(QPoint(static_cast<int>(x), 0)));
  return from + (at.x() - plot.left()) / plot.width() * (to - from);
}

void RecordsChartView::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  const double at = ValueAt(event->position().x());
  const auto axes = chart()->axes(Qt::Horizontal);
  auto* axis = axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis*>(axes.first());
  if (steps == 0 || std::isnan(at) || !axis || !onZoom) return QChartView::wheelEvent(event);
  const double factor = std::pow(0.8, steps);  // away from the operator: closer
  const double from = static_cast<double>(axis->min().toMSecsSinceEpoch());
  const double to = static_cast<double>(axis->max().toMSecsSinceEpoch());
  onZoom(at - (at - from) * factor, at + (to - at) * factor);
  event->accept();
}

void RecordsChartView::mousePressEvent(QMouseEvent* event) {
  const QPointF scene = chart()->mapFromScene(mapToScene(event->position().toPoint()));
  if (event->button() != Qt::LeftButton || !chart()->plotArea().contains(scene)) return QChartView::mousePressEvent(event);
  origin_ = event->position().toPoint();
  pressed_ = true;
  event->accept();
}

void RecordsChartView::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_) return QChartView::mouseMoveEvent(event);
  const QPoint at = event->position().toPoint();
  if (!band_->isVisible() && (at - origin_).manhattanLength() < QApplication::startDragDistance()) return;
  // Across the whole height of the plot: only time zooms.
  const QRect plot = mapFromScene(chart()->mapToScene(chart()->plotArea())).boundingRect();
  band_->setGeometry(QRect(QPoint(std::min(origin_.x(), at.x()), plot.top()), QPoint(std::max(origin_.x(), at.x()), plot.bottom())));
  band_->show();
  event->accept();
}

void RecordsChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (!pressed_ || event->button() != Qt::LeftButton) return QChartView::mouseReleaseEvent(event);
  pressed_ = false;
  event->accept();
  if (band_->isVisible()) {
    band_->hide();
    const QRect r = band_->geometry();
    if (r.width() >= 4 && onZoom) onZoom(ValueAt(r.left()), ValueAt(r.right()));
    return;
  }
  const double at = ValueAt(event->position().x());
  if (!std::isnan(at) && onClick) onClick(at);
}

// --- the window

RecordsPane::RecordsPane(QWidget* owner)
    : QWidget(owner, Qt::Window), chartModel_(new QChart), time_(new QDateTimeAxis), values_(new QValueAxis) {
  setObjectName("RecordsWindow");
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(owner ? owner->font() : QApplication::font());
  resize(1000, 740);
  filter_.setSourceModel(&model_);

  heading_ = new QLabel(this);
  heading_->setObjectName("RecordsHeading");
  heading_->setWordWrap(true);
  heading_->setTextFormat(Qt::PlainText);

  // The chart, with the zoom's reset under it.
  auto* top = new QWidget(this);
  auto* topLayout = new QVBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  chart_ = new RecordsChartView(chartModel_, top);
  chart_->setObjectName("RecordsChart");
  chart_->setRenderHint(QPainter::Antialiasing);
  chart_->setMinimumHeight(200);
  time_->setTitleText(QString::fromUtf8("Время"));
  time_->setTickCount(7);
  chartModel_->addAxis(time_, Qt::AlignBottom);
  chartModel_->addAxis(values_, Qt::AlignLeft);
  chartModel_->legend()->setAlignment(Qt::AlignBottom);
  chartModel_->setMargins(QMargins(4, 4, 4, 4));
  const QColor lineColours[2] = {QColor(31, 119, 180), QColor(44, 160, 44)};
  for (int k = 0; k < 2; ++k) {
    lines_[k] = new QLineSeries;
    lines_[k]->setColor(lineColours[k]);
  }
  // Marks as a series without a line, each point drawn from one picture: a scatter series
  // makes an item per point, which cost a third of a second for a buffer in alarm throughout.
  auto marks = [](QColor fill, QColor border, qreal width, int size, const char* name) {
    QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(border, width));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(width / 2, width / 2, size - width, size - width));
    painter.end();
    auto* s = new QLineSeries;
    s->setName(QString::fromUtf8(name));
    s->setMarkerSize(size);
    s->setPen(Qt::NoPen);
    s->setColor(fill == Qt::transparent ? border : fill);
    s->setLightMarker(picture);
    return s;
  };
  exceeded_ = marks(Qt::red, Qt::red, 1, 8, "Превышение порога");
  faults_ = marks(QColor(40, 40, 40), QColor(40, 40, 40), 1, 8, "Авария");
  selected_ = marks(Qt::transparent, QColor(255, 140, 0), 3, 18, "Выбранная запись");
  // An exceeded threshold drawn over a fault, as the table colours such a row.
  for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{lines_[0], lines_[1], faults_, exceeded_, selected_}) {
    chartModel_->addSeries(s);
    s->attachAxis(time_);
    s->attachAxis(values_);
  }
  QObject::connect(time_, &QDateTimeAxis::rangeChanged, this, [this](QDateTime from, QDateTime to) {
    // Within one day the clock to the second, the day in the title; across days the day on each label.
    const bool oneDay = from.date() == to.date();
    time_->setFormat(oneDay ? "HH:mm:ss" : from.msecsTo(to) > kDayMs ? "dd.MM.yy HH:mm" : "dd.MM HH:mm");
    time_->setTitleText(QString::fromUtf8("Время") + (oneDay ? ", " + from.toString("dd.MM.yyyy") : QString()));
  });
  chart_->onZoom = [this](double from, double to) { ZoomTo(from, to); };
  chart_->onClick = [this](double at) {
    const int record = NearestRecord(at);
    if (record >= 0) SelectRecord(record);
  };
  auto* zoomRow = new QHBoxLayout;
  auto* whole = new QPushButton(QString::fromUtf8("Весь период"), top);
  whole->setObjectName("RecordsWholePeriod");
  whole->setAutoDefault(false);
  QObject::connect(whole, &QPushButton::clicked, this, [this] { ShowWholePeriod(); });
  zoomRow->addWidget(whole);
  auto* hint = new QLabel(QString::fromUtf8("Колесо мыши или рамка мышью — крупнее по времени; щелчок — ближайшая запись в таблице"), top);
  hint->setEnabled(false);
  zoomRow->addWidget(hint, 1);
  topLayout->addWidget(chart_, 1);
  topLayout->addLayout(zoomRow);

  // The filters above the table, the status under it.
  auto* bottom = new QWidget(this);
  auto* bottomLayout = new QVBoxLayout(bottom);
  bottomLayout->setContentsMargins(0, 0, 0, 0);
  auto* filterRow = new QHBoxLayout;
  for (const FilterBox& f : kFilters) {
    auto* box = new QCheckBox(QString::fromUtf8(f.text), bottom);
    box->setObjectName(f.name);
    QObject::connect(box, &QCheckBox::toggled, this, [this] { ApplyFilter(); });
    filterRow->addWidget(box);
    checks_.emplace_back(box, f.flag);
  }
  filterRow->addStretch(1);
  shown_ = new QLabel(bottom);
  shown_->setObjectName("RecordsShown");
  filterRow->addWidget(shown_);
  bottomLayout->addLayout(filterRow);

  table_ = new QTableView(bottom);
  table_->setObjectName("RecordsTable");
  table_->setModel(&filter_);
  table_->verticalHeader()->hide();
  // Fixed row heights: a table of thousands of rows never measures each.
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setResizeContentsPrecision(100);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setWordWrap(false);
  // No sort at first: the unit's order. A third click on a header returns to it.
  table_->horizontalHeader()->setSortIndicatorClearable(true);
  table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  table_->setSortingEnabled(true);
  QObject::connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { MarkSelected(); });
  bottomLayout->addWidget(table_, 1);

  status_ = new StatusLine(bottom, "RecordsStatus");
  bottomLayout->addWidget(status_);

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(top);
  split->addWidget(bottom);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(split, 1);
}

double RecordsPane::AxisMs(double seconds) { return AxisClock()(seconds); }

void RecordsPane::Fill(const RecordsView& view) {
  setWindowTitle(Q(view.caption));
  heading_->setText(Q(view.heading));
  table_->clearSelection();
  model_.Reset(view);
  table_->resizeColumnsToContents();
  ApplyFilter();
  status_->Say(view.status, view.statusIsError);
  status_->setVisible(!view.status.empty());
  DrawSeries();
  MarkSelected();
}

void RecordsPane::ApplyFilter() {
  std::vector<RecordsFilter::Flag> flags;
  for (const auto& [box, flag] : checks_)
    if (box->isChecked()) flags.push_back(flag);
  filter_.SetFlags(std::move(flags));
  shown_->setText(QString::fromUtf8("Показано %1 из %2").arg(filter_.rowCount()).arg(model_.rowCount()));
}

// The chart shows every record whatever the filter: the line is the whole history, and the
// flagged records stand out on it as marks; a line through the filtered records alone would
// join records far apart as if nothing happened between them.
void RecordsPane::DrawSeries() {
  const RecordsView& view = model_.View();
  const bool two = !view.channel2.empty();
  QList<QPointF> lines[2], exceeded, faults;
  byTime_.clear();
  AxisClock axis;
  for (std::size_t i = 0; i < view.rows.size(); ++i) {
    const RecordRow& row = view.rows[i];
    const double x = axis(row.time);
    if (std::isnan(x)) continue;
    byTime_.emplace_back(x, static_cast<int>(i));
    const double values[2] = {row.concentration1, two ? row.concentration2 : NAN};
    for (int k = 0; k < 2; ++k) {
      if (std::isnan(values[k])) continue;
      lines[k].append(QPointF(x, values[k]));
    }
    const double mark = MarkValue(row, two);
    if (std::isnan(mark)) continue;
    if (row.exceeded) exceeded.append(QPointF(x, mark));
    if (row.fault) faults.append(QPointF(x, mark));
  }
  // In time order: a clock set back mid-buffer must not draw a stroke back across the chart.
  std::stable_sort(byTime_.begin(), byTime_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  const auto byX = [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); };
  for (int k = 0; k < 2; ++k) {
    std::stable_sort(lines[k].begin(), lines[k].end(), byX);
    lines_[k]->setName(Q(k == 0 ? view.channel1 : view.channel2));
    lines_[k]->replace(lines[k]);  // one call per series: the chart redraws on every change
    drawn_[k] = two || k == 0 ? lines[k] : QList<QPointF>();
  }
  lines_[1]->setVisible(two);
  exceeded_->replace(exceeded);
  faults_->replace(faults);
  for (QLegendMarker* m : chartModel_->legend()->markers()) {
    const QAbstractSeries* s = m->series();
    m->setVisible(s == lines_[0] || (s == lines_[1] && two) || (s == exceeded_ && !exceeded.isEmpty()) ||
                  (s == faults_ && !faults.isEmpty()));
  }

  if (byTime_.empty()) {
    last_ = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
    first_ = last_ - 3600 * 1000.0;
  } else {
    first_ = byTime_.front().first;
    last_ = byTime_.back().first;
    if (last_ - first_ < 60000) first_ -= 30000, last_ += 30000;  // a single record still gets a readable span
  }
  ShowWholePeriod();
}

void RecordsPane::ZoomTo(double from, double to) {
  if (std::isnan(from) || std::isnan(to)) return;
  if (from > to) std::swap(from, to);
  if (to - from < kMinSpanMs) {
    const double mid = (from + to) / 2;
    from = mid - kMinSpanMs / 2;
    to = mid + kMinSpanMs / 2;
  }
  // Never beyond the records: zooming out stops at the whole period.
  const double span = std::min(to - from, last_ - first_);
  from = std::clamp(from, first_, last_ - span);
  to = from + span;
  time_->setRange(QDateTime::fromMSecsSinceEpoch(std::llround(from)), QDateTime::fromMSecsSinceEpoch(std::llround(to)));
  FitValues(from, to);
}

void RecordsPane::FitValues(double from, double to) {
  double low = INFINITY, high = -INFINITY;
  const auto before = [](const QPointF& p, double x) { return p.x() < x; };
  for (const QList<QPointF>& line : drawn_) {
    for (auto p = std::lower_bound(line.begin(), line.end(), from, before); p != line.end() && p->x() <= to; ++p) {
      low = std::min(low, p->y());
      high = std::max(high, p->y());
    }
  }
  if (!(low <= high)) low = 0, high = 1;
  const double pad = high > low ? (high - low) * 0.05 : std::max(std::abs(high) * 0.05, 0.5);
  // Concentrations never below zero: no room drawn under it.
  values_->setRange(low >= 0 ? std::max(0.0, low - pad) : low - pad, high + pad);
  values_->applyNiceNumbers();
}

void RecordsPane::ShowWholePeriod() { ZoomTo(first_, last_); }

int RecordsPane::SelectedRecord() const {
  const QModelIndexList rows = table_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : filter_.mapToSource(rows.first()).row();
}

void RecordsPane::SelectRecord(int record) {
  const QModelIndex at = filter_.mapFromSource(model_.index(record, 0));
  if (!at.isValid()) return table_->clearSelection();
  table_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  table_->scrollTo(at, QAbstractItemView::PositionAtCenter);
}

int RecordsPane::NearestRecord(double axisMs) const {
  const auto shown = [this](int record) { return filter_.mapFromSource(model_.index(record, 0)).isValid(); };
  auto after = std::lower_bound(byTime_.begin(), byTime_.end(), axisMs, [](const auto& e, double x) { return e.first < x; });
  auto before = after;
  while (after != byTime_.end() && !shown(after->second)) ++after;
  int best = after == byTime_.end() ? -1 : after->second;
  double distance = after == byTime_.end() ? INFINITY : after->first - axisMs;
  while (before != byTime_.begin()) {
    --before;
    if (axisMs - before->first > distance) break;
    if (shown(before->second)) {
      // Equally near: the earlier wins.
      if (axisMs - before->first <= distance) best = before->second;
      break;
    }
  }
  return best;
}

void RecordsPane::MarkSelected() {
  const int record = SelectedRecord();
  const RecordsView& view = model_.View();
  QList<QPointF> mark;
  if (record >= 0 && static_cast<std::size_t>(record) < view.rows.size()) {
    const RecordRow& row = view.rows[static_cast<std::size_t>(record)];
    const double x = AxisMs(row.time);
    const double y = MarkValue(row, !view.channel2.empty());
    if (!std::isnan(x) && !std::isnan(y)) mark.append(QPointF(x, y));
  }
  selected_->replace(mark);
  // A record chosen outside the zoomed part brings its time into sight.
  const double from = static_cast<double>(time_->min().toMSecsSinceEpoch());
  const double to = static_cast<double>(time_->max().toMSecsSinceEpoch());
  if (!mark.isEmpty() && (mark[0].x() < from || mark[0].x() > to)) ZoomTo(mark[0].x() - (to - from) / 2, mark[0].x() + (to - from) / 2);
}

// --- made when first shown

void QtRecordsWindow::Show(const RecordsView& view) {
  if (!pane_) pane_ = new RecordsPane(owner_);
  pane_->Fill(view);
  if (!pane_->isVisible()) {
    pane_->show();
    if (owner_) pane_->move(owner_->geometry().topLeft() + QPoint(40, 40));
  }
  pane_->raise();
  pane_->activateWindow();
}

}  // namespace zhv
