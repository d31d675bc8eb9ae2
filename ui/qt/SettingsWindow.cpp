#include "ui/qt/SettingsWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/control.h"
#include "ui/qt/Colours.h"
#include "ui/qt/StatusLine.h"

namespace zhv {

namespace {

enum Column { kMark, kName, kUnit, kFile, kOutcome, kColumns };
constexpr const char* kHeaders[kColumns] = {"", "Параметр", "В блоке", "В файле", "Запись"};

QString Q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The window's own colours: yellow draws the eye to a difference, light green
// is done, red went wrong.
TColor RowColour(SettingsRow::Mark mark) {
  switch (mark) {
    case SettingsRow::Mark::Differs: return clr::Yellow;
    case SettingsRow::Mark::Writing: return clr::SkyBlue;
    case SettingsRow::Mark::Written: return clr::PortOpen;
    case SettingsRow::Mark::Failed: return clr::Red;
    case SettingsRow::Mark::Skipped: return clr::MedGray;
    case SettingsRow::Mark::Same: break;
  }
  return clr::Default;
}

}  // namespace

SettingsPane::SettingsPane(QWidget* owner, std::function<void()> stop) : QWidget(owner, Qt::Window) {
  setObjectName("SettingsWindow");
  setFont(owner ? owner->font() : QApplication::font());
  resize(760, 560);
  auto* layout = new QVBoxLayout(this);

  heading_ = new QLabel(this);
  heading_->setObjectName("SettingsHeading");
  heading_->setWordWrap(true);
  heading_->setTextFormat(Qt::PlainText);
  layout->addWidget(heading_);

  table_ = new QTableWidget(0, kColumns, this);
  table_->setObjectName("SettingsTable");
  for (int c = 0; c < kColumns; ++c) table_->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(kHeaders[c])));
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setWordWrap(false);
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionResizeMode(kMark, QHeaderView::Fixed);
  table_->setColumnWidth(kMark, table_->fontMetrics().horizontalAdvance("≠") + 12);
  header->setSectionResizeMode(kName, QHeaderView::ResizeToContents);
  header->setSectionResizeMode(kUnit, QHeaderView::Stretch);
  header->setSectionResizeMode(kFile, QHeaderView::Stretch);
  header->setSectionResizeMode(kOutcome, QHeaderView::Stretch);
  layout->addWidget(table_, 1);

  status_ = new StatusLine(this, "SettingsStatus");
  layout->addWidget(status_);

  auto* bottom = new QHBoxLayout;
  progress_ = new QProgressBar(this);
  progress_->setObjectName("SettingsProgress");
  progress_->setFormat("%v из %m");
  bottom->addWidget(progress_, 1);
  stop_ = new QPushButton("Стоп", this);
  stop_->setObjectName("SettingsStop");
  stop_->setAutoDefault(false);
  QObject::connect(stop_, &QPushButton::clicked, [stop = std::move(stop)] {
    if (stop) stop();
  });
  bottom->addWidget(stop_);
  auto* close = new QPushButton("Закрыть", this);
  close->setObjectName("SettingsClose");
  close->setAutoDefault(false);
  QObject::connect(close, &QPushButton::clicked, this, &QWidget::close);
  bottom->addWidget(close);
  layout->addLayout(bottom);
}

void SettingsPane::Fill(const SettingsView& view) {
  setWindowTitle(Q(view.caption));
  heading_->setText(Q(view.heading));
  const QPalette palette = QApplication::palette();
  table_->setRowCount(static_cast<int>(view.rows.size()));
  bool outcomes = false;
  for (int r = 0; r < static_cast<int>(view.rows.size()); ++r) {
    const SettingsRow& row = view.rows[static_cast<std::size_t>(r)];
    // What differs is marked apart from its colour; what a restore made equal, too.
    const char* mark = row.mark == SettingsRow::Mark::Same ? "" : row.mark == SettingsRow::Mark::Written ? "=" : "≠";
    const QString texts[kColumns] = {QString::fromUtf8(mark), Q(row.name), Q(row.unit), Q(row.file), Q(row.outcome)};
    const TColor colour = RowColour(row.mark);
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem(texts[c]);
      if (c == kMark) item->setTextAlignment(Qt::AlignCenter);
      if (colour != clr::Default) item->setBackground(ToQColor(colour, palette));
      table_->setItem(r, c, item);
    }
    outcomes = outcomes || !row.outcome.empty();
  }
  table_->setColumnHidden(kOutcome, !outcomes);
  // The field under way stays in sight.
  for (int r = 0; r < table_->rowCount(); ++r)
    if (view.rows[static_cast<std::size_t>(r)].mark == SettingsRow::Mark::Writing)
      table_->scrollToItem(table_->item(r, kName));

  status_->Say(view.status, view.statusIsError);
  progress_->setVisible(view.total > 0);
  progress_->setRange(0, std::max(1, view.total));
  progress_->setValue(view.done);
  stop_->setVisible(view.total > 0);
  stop_->setEnabled(view.stoppable);
}

void QtSettingsWindow::Show(const SettingsView& view) {
  if (!pane_) pane_ = new SettingsPane(owner_, [this] {
    if (stop_) stop_();
  });
  pane_->Fill(view);
  if (!pane_->isVisible()) {
    pane_->show();
    if (owner_) pane_->move(owner_->geometry().topLeft() + QPoint(40, 40));
  }
  // A new result comes to the front; a restore's progress does not pull it there each field.
  if (view.total == 0) pane_->raise();
}

}  // namespace zhv
