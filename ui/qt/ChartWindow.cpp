#include "ui/qt/ChartWindow.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStringEncoder>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "ui/qt/ChartPane.h"

namespace zhv {

namespace {

const QString kPngFilter = QString::fromUtf8("Рисунок PNG (*.png)");
const QString kCsvFilter = QString::fromUtf8("Таблица CSV (*.csv)");

// Room above and below the values when the axis is fitted to them.
void FitRange(double& low, double& high) {
  const double span = high - low;
  const double pad = span > 0 ? span * 0.05 : std::max(std::abs(high) * 0.05, 0.5);
  low -= pad;
  high += pad;
}

}  // namespace

ChartWindow::ChartWindow(const ChartPane& pane, QWidget* owner)
    : QWidget(owner, Qt::Window),
      pane_(pane),
      chart_(new QChart),
      view_(new QChartView(chart_, this)),  // given later, the chart leaves its axis labels undrawn
      time_(new QDateTimeAxis),
      values_(new QValueAxis),
      autoscale_(new QCheckBox(QString::fromUtf8("Автомасштаб"), this)),
      pause_(new QPushButton(QString::fromUtf8("Пауза"), this)),
      save_(new QPushButton(QString::fromUtf8("Сохранить…"), this)),
      summary_(new QLabel(this)) {
  setObjectName(QString::fromUtf8(pane.Model().Name()) + "Window");
  setAttribute(Qt::WA_QuitOnClose, false);
  const QString page = QString::fromStdString(pane.Model().Parent()->Text());
  setWindowTitle(page + ": " + Heading());
  resize(900, 500);

  chart_->legend()->hide();
  chart_->setTitle(Heading());
  time_->setTitleText(QString::fromUtf8("Время"));
  time_->setFormat("HH:mm:ss");
  time_->setTickCount(7);
  values_->setTickType(QValueAxis::TicksDynamic);
  values_->setTickAnchor(0);
  chart_->addAxis(time_, Qt::AlignBottom);
  chart_->addAxis(values_, Qt::AlignLeft);
  view_->setRenderHint(QPainter::Antialiasing);

  autoscale_->setChecked(true);
  autoscale_->setToolTip(QString::fromUtf8("Шкала значений по данным; без отметки \u2014 как на графике в окне"));
  pause_->setCheckable(true);
  pause_->setToolTip(QString::fromUtf8("Остановить картинку; значения продолжают накапливаться"));
  save_->setToolTip(QString::fromUtf8("Сохранить рисунок (PNG) или значения (CSV)"));
  QObject::connect(autoscale_, &QCheckBox::toggled, this, [this] { Redraw(); });
  QObject::connect(pause_, &QPushButton::toggled, this, [this](bool on) { SetPaused(on); });
  QObject::connect(save_, &QPushButton::clicked, this, [this] { Save(); });

  auto* controls = new QHBoxLayout;
  controls->addWidget(autoscale_);
  controls->addWidget(pause_);
  controls->addWidget(save_);
  controls->addSpacing(12);
  controls->addWidget(summary_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addLayout(controls);
  Refresh();
}

QString ChartWindow::Heading() const { return QString::fromStdString(pane_.Model().Text()).trimmed(); }

void ChartWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Redraw();  // as many value labels as the new height holds
}

void ChartWindow::Refresh() {
  if (paused_) return;
  const auto& history = pane_.History();
  shown_.assign(history.begin(), history.end());
  Redraw();
}

void ChartWindow::SetPaused(bool paused) {
  if (pause_->isChecked() != paused) pause_->setChecked(paused);  // comes back here through toggled
  if (paused_ == paused) return;
  paused_ = paused;
  pause_->setText(QString::fromUtf8(paused ? "Продолжить" : "Пауза"));
  Refresh();
}

void ChartWindow::Redraw() {
  // One line per stretch without a gap.
  std::vector<QList<QPointF>> stretches;
  for (std::size_t i = 0; i < shown_.size(); ++i) {
    if (i == 0 || shown_[i].time - shown_[i - 1].time > kGapMs) stretches.emplace_back();
    stretches.back().append(QPointF(static_cast<qreal>(shown_[i].time), shown_[i].value));
  }
  while (lines_.size() < stretches.size()) {
    auto* line = new QLineSeries;
    line->setColor(Qt::red);
    chart_->addSeries(line);
    line->attachAxis(time_);
    line->attachAxis(values_);
    lines_.push_back(line);
  }
  while (lines_.size() > stretches.size()) {
    chart_->removeSeries(lines_.back());
    delete lines_.back();
    lines_.pop_back();
  }
  for (std::size_t i = 0; i < stretches.size(); ++i) lines_[i]->replace(stretches[i]);

  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  qint64 first = shown_.empty() ? now - 60000 : shown_.front().time;
  qint64 last = shown_.empty() ? now : shown_.back().time;
  if (last - first < 10000) first = last - 10000;  // a few values still get a readable span
  time_->setFormat(last - first > 24 * 3600 * 1000 ? "dd.MM HH:mm" : "HH:mm:ss");
  time_->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));

  double low = pane_.LeftAxis()->min(), high = pane_.LeftAxis()->max();
  const bool fit = autoscale_->isChecked() && !shown_.empty();
  if (fit) {
    const auto [lo, hi] = std::minmax_element(shown_.begin(), shown_.end(),
                                              [](const ChartSample& a, const ChartSample& b) { return a.value < b.value; });
    low = lo->value;
    high = hi->value;
    FitRange(low, high);
  }
  // Round labels as many as the height holds, as the chart in the window has them.
  const int labelHeight = QFontMetrics(values_->labelsFont()).height();
  const double interval = ChartPane::TickInterval(low, high, std::max(pane_.Model().LeftSeparation(), 100),
                                                  view_->height() - 4 * labelHeight, labelHeight);
  if (fit) {
    low = std::floor(low / interval) * interval;
    high = std::ceil(high / interval) * interval;
  }
  // Widening the interval first, or narrowing it last, never asks for thousands of labels.
  if (interval >= values_->tickInterval()) {
    values_->setTickInterval(interval);
    values_->setRange(low, high);
  } else {
    values_->setRange(low, high);
    values_->setTickInterval(interval);
  }
  values_->setLabelFormat(pane_.LeftAxis()->labelFormat());

  if (shown_.empty()) {
    summary_->setText(QString::fromUtf8("Значений пока нет"));
  } else {
    const ChartSample& newest = shown_.back();
    summary_->setText(QString::fromUtf8("Значений: %1; последнее %2 в %3%4")
                          .arg(shown_.size())
                          .arg(QLocale().toString(newest.value, 'g', 6))
                          .arg(QDateTime::fromMSecsSinceEpoch(newest.time).toString("HH:mm:ss"))
                          .arg(paused_ ? QString::fromUtf8(" (пауза)") : QString()));
  }
}

QString ChartWindow::ValuesTable(const std::vector<ChartSample>& samples, const QString& heading, QChar decimalPoint) {
  QString text = QString::fromUtf8("Время;") + heading + "\r\n";
  for (const ChartSample& s : samples) {
    QString value = QString::number(s.value, 'g', 10);
    value.replace('.', decimalPoint);
    text += QDateTime::fromMSecsSinceEpoch(s.time).toString("dd.MM.yyyy HH:mm:ss") + ';' + value + "\r\n";
  }
  return text;
}

bool ChartWindow::SavePicture(const QString& path) const { return view_->grab().save(path, "PNG"); }

bool ChartWindow::SaveValues(const QString& path) const {
  const QString point = QLocale().decimalPoint();
  const QString text = ValuesTable(shown_, Heading(), point.size() == 1 ? point.at(0) : QChar('.'));
  // The same code page as the read-out's export file, which spreadsheets here expect.
  QStringEncoder encoder("windows-1251");
  const QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(text)) : text.toUtf8();
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

void ChartWindow::Save() {
  QFileDialog dialog(this, QString::fromUtf8("Сохранить график"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);  // Qt's own, in Russian, on every desktop
  dialog.setLabelText(QFileDialog::LookIn, QString::fromUtf8("Папка:"));
  dialog.setLabelText(QFileDialog::FileName, QString::fromUtf8("Имя файла:"));
  dialog.setLabelText(QFileDialog::FileType, QString::fromUtf8("Тип файла:"));
  dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8("Сохранить"));
  dialog.setLabelText(QFileDialog::Reject, QString::fromUtf8("Отмена"));
  dialog.setNameFilters({kPngFilter, kCsvFilter});
  dialog.setDefaultSuffix("png");
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(filter == kCsvFilter ? "csv" : "png"); });
  dialog.setDirectory(lastFolder_.isEmpty() ? QDir::homePath() : lastFolder_);
  // "Сенсор 1 Концентрация 2026-12-08 14-28-16": no full stop, which would pass for a suffix.
  const QString name = windowTitle().remove(':').remove('.') + QDateTime::currentDateTime().toString(" yyyy-MM-dd HH-mm-ss");
  dialog.selectFile(name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().first();
  lastFolder_ = QFileInfo(path).absolutePath();
  const bool values = path.endsWith(".csv", Qt::CaseInsensitive) ||
                      (!path.endsWith(".png", Qt::CaseInsensitive) && dialog.selectedNameFilter() == kCsvFilter);
  if (values ? SaveValues(path) : SavePicture(path)) {
    summary_->setText(QString::fromUtf8("Сохранено: ") + path);
    return;
  }
  QMessageBox::warning(this, windowTitle(), QString::fromUtf8("Не удалось сохранить файл\n") + path);
}

}  // namespace zhv
