#include "ui/qt/FormView.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/qt/ChartPane.h"
#include "ui/qt/Colours.h"
#include "ui/qt/PanelLabel.h"
#include "ui/qt/TypingLimit.h"
#include "ui/qt/WidgetSync.h"

namespace zhv {

namespace {

constexpr int kClientWidth = 794;
constexpr int kClientHeight = 598;
const QColor kDisabledText(128, 128, 128);

struct Column {
  const char* caption;
  int width;
};
constexpr Column kPortColumns[] = {{"Устройство", 290}, {"Номер COM", 76}, {"Доступ", 82}};

QString Q(const char* text) { return QString::fromUtf8(text); }

QFont WindowFont() {
  QFont font;
  font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans",
                    "Nimbus Sans", "DejaVu Sans"});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

// The character a key press carries, as the model's handlers see it; 0 for keys
// without one (arrows, function keys), which never reach a key press handler.
char KeyChar(const QKeyEvent& e) {
  switch (e.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return '\r';
    case Qt::Key_Backspace:
      return '\b';
    case Qt::Key_Escape:
      return 27;
    default:
      break;
  }
  const QString text = e.text();
  if (text.size() != 1 || !text[0].isPrint()) return 0;
  char16_t u = text[0].unicode();
  return u < 0x80 ? static_cast<char>(u) : '?';  // the handlers only tell keys apart by ASCII
}

// Room for n digits in an edit, frame and margins included.
int EditWidth(const QWidget* w, int chars) {
  return w->fontMetrics().horizontalAdvance(QString(chars, '0')) + 12;
}

// Rows as compact as the 8 pt window they were designed for.
int LineHeight(const QWidget* w, int padding) { return w->fontMetrics().height() + padding; }

QTableWidget* CreatePortTable(QWidget* parent) {
  auto* table = new QTableWidget(0, 3, parent);
  for (int i = 0; i < 3; ++i) {
    auto* header = new QTableWidgetItem(Q(kPortColumns[i].caption));
    header->setTextAlignment(i ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
    table->setHorizontalHeaderItem(i, header);
    table->setColumnWidth(i, kPortColumns[i].width);
  }
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
  table->horizontalHeader()->setHighlightSections(false);
  table->setShowGrid(true);
  table->setWordWrap(false);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  int width = 2 * table->frameWidth();
  for (const Column& column : kPortColumns) width += column.width;
  table->setMinimumWidth(width);  // the three columns show whole
  return table;
}

}  // namespace

FormView::FormView(TForm1& form, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      form_(form) {
  setFont(WindowFont());
  // Disabled captions stay readable on the coloured groups.
  QPalette p = palette();
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(QPalette::Disabled, role, kDisabledText);
  }
  setPalette(p);
  for (Control* c : form_.All()) {
    if (QObject* o = Create(*c)) objects_[c] = o;
  }
  FinishLayouts();
  for (const Control* c : form_.All()) Sync(*c);
  form_.TakeDirty();  // everything is shown as it stands now
  form_.SetOnDirty([this] { ScheduleFlush(); });
  // Connected only now: adding the tabs above reports page changes of its own.
  QObject::connect(tabs_, &QTabWidget::currentChanged,
                   [this](int index) { pages_->SetActivePage(index); });
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

FormView::~FormView() { form_.SetOnDirty(nullptr); }

QObject* FormView::Create(Control& c) {
  switch (c.GetKind()) {
    case Kind::Form: {
      setObjectName(Q(c.Name()));
      setFixedSize(kClientWidth, kClientHeight);
      setAutoFillBackground(true);
      auto* layout = new QVBoxLayout(this);
      layout->setContentsMargins(0, 0, 0, 0);
      return this;
    }
    case Kind::PageControl: {
      pages_ = &static_cast<PageControl&>(c);
      tabs_ = new QTabWidget(this);
      tabs_->setObjectName(Q(c.Name()));
      layout()->addWidget(tabs_);
      return tabs_;
    }
    case Kind::TabSheet: {
      auto* page = new QWidget;
      page->setObjectName(Q(c.Name()));
      page->setAutoFillBackground(true);
      const int index = tabs_->addTab(page, QString::fromStdString(c.Text()));
      // Alt and the tab's number brings it forward, whatever the keyboard layout.
      const QKeySequence keys(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + index));
      tabs_->setTabToolTip(index, keys.toString(QKeySequence::NativeText));
      QObject::connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, index] {
        if (tabs_->isEnabled() && tabs_->isTabVisible(index) && tabs_->isTabEnabled(index)) tabs_->setCurrentIndex(index);
      });
      return page;
    }
    case Kind::Timer: {
      auto* timer = new QTimer(this);
      timer->setObjectName(Q(c.Name()));
      timer->setTimerType(Qt::PreciseTimer);
      auto& model = static_cast<TimerControl&>(c);
      QObject::connect(timer, &QTimer::timeout, [&model] {
        if (model.Enabled() && model.OnTimer) model.OnTimer();
      });
      return timer;
    }
    case Kind::SaveDialog:
      // The export file is chosen in a QFileDialog opened when the operator asks for it;
      // until then the dialog has nothing to show.
      return nullptr;
    case Kind::Series: {
      // The series lives in its chart; its changes are drawn by the chart's pane.
      auto* pane = static_cast<ChartPane*>(objects_.at(c.Parent()));
      pane->Series()->setObjectName(Q(c.Name()));
      return pane;
    }
    default: {
      auto* container = qobject_cast<QWidget*>(objects_.at(c.Parent()));
      QWidget* w = CreateWidget(c, container);
      w->setObjectName(Q(c.Name()));
      QSizePolicy policy = w->sizePolicy();
      policy.setRetainSizeWhenHidden(true);  // a control that appears later keeps its place
      w->setSizePolicy(policy);
      Place(c, w);
      return w;
    }
  }
}

QWidget* FormView::CreateWidget(Control& c, QWidget* container) {
  const QString text = QString::fromStdString(c.Text());
  switch (c.GetKind()) {
    case Kind::GroupBox: {
      auto* group = new QGroupBox(text, container);
      group->setAutoFillBackground(true);
      return group;
    }
    case Kind::Label: {
      auto* label = new QLabel(container);
      label->setTextFormat(Qt::PlainText);
      label->setMinimumHeight(label->fontMetrics().height());  // an empty label keeps its row
      return label;
    }
    case Kind::Panel:
      return new PanelLabel(container);
    case Kind::Edit: {
      auto* edit = new QLineEdit(container);
      edit->setFixedHeight(LineHeight(edit, 4));
      if (c.MaxLength() > 0) edit->setValidator(new TypingLimit(edit, c));
      if (c.GetCell().colSpan == 1) {
        // An edit that starts empty is filled in later: leave room for a value.
        int chars = text.isEmpty() ? 7 : std::max({static_cast<int>(text.size()), c.MaxLength(), 2});
        edit->setFixedWidth(EditWidth(edit, chars));
      }
      QObject::connect(edit, &QLineEdit::textEdited,
                       [&c](const QString& typed) { c.TypeText(typed.toStdString()); });
      edit->installEventFilter(this);
      edits_[edit] = &c;
      return edit;
    }
    case Kind::Button: {
      auto* button = new QPushButton(text, container);
      button->setAutoDefault(false);
      button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
      button->setFixedHeight(LineHeight(button, 4));
      button->setMinimumWidth(button->fontMetrics().horizontalAdvance(text) + 14);
      QObject::connect(button, &QPushButton::clicked, [&c] { c.Click(); });
      return button;
    }
    case Kind::CheckBox:
    case Kind::RadioButton: {
      QAbstractButton* box = c.GetKind() == Kind::CheckBox
                                 ? static_cast<QAbstractButton*>(new QCheckBox(text, container))
                                 : new QRadioButton(text, container);
      box->setFixedHeight(LineHeight(box, 2));
      // The model toggles and fires the handler; the widget then shows what the model holds.
      QObject::connect(box, &QAbstractButton::clicked, [&c, box] {
        c.Click();
        SyncWidget(c, box);
      });
      return box;
    }
    case Kind::ListBox: {
      auto* list = new TraceList(container);
      list->setUniformItemSizes(true);
      list->setSelectionMode(QAbstractItemView::NoSelection);
      return list;
    }
    case Kind::ListView: {
      QTableWidget* table = CreatePortTable(container);
      auto& model = static_cast<ListViewControl&>(c);
      QObject::connect(table, &QTableWidget::itemSelectionChanged, [&model, table] {
        auto rows = table->selectionModel()->selectedRows();
        model.SetSelected(rows.isEmpty() ? -1 : rows.first().row());
      });
      QObject::connect(table, &QTableWidget::cellDoubleClicked, [&model](int row, int) {
        model.SetSelected(row);
        model.DblClick();
      });
      table->installEventFilter(this);
      portTable_ = {table, &model};
      return table;
    }
    case Kind::ProgressBar: {
      auto* bar = new QProgressBar(container);
      bar->setRange(0, static_cast<const ProgressBarControl&>(c).Max());
      bar->setValue(0);
      bar->setTextVisible(false);
      bar->setFixedHeight(LineHeight(bar, 4));
      return bar;
    }
    case Kind::Chart:
      return new ChartPane(static_cast<const ChartControl&>(c), container);
    default:
      return new QWidget(container);  // every kind with a widget is handled above
  }
}

void FormView::Place(const Control& c, QWidget* w) {
  QWidget* container = w->parentWidget();
  const Cell& cell = c.GetCell();
  if (auto* pane = dynamic_cast<ChartPane*>(container)) {
    // Column 0 of a chart's overlay is its title; the chart's controls sit right of it.
    // A label there is a unit and stays beside its value.
    Qt::Alignment side = c.GetKind() == Kind::Label ? Qt::AlignLeft : Qt::AlignRight;
    pane->Overlay()->addWidget(w, cell.row, cell.col + 1, cell.rowSpan, cell.colSpan,
                               side | Qt::AlignVCenter);
    return;
  }
  QGridLayout*& grid = grids_[container];
  if (!grid) {
    grid = new QGridLayout(container);
    bool page = !qobject_cast<QGroupBox*>(container);
    grid->setContentsMargins(2, page ? 2 : 1, 2, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(page ? 3 : 1);
  }
  Qt::Alignment align;
  switch (c.GetKind()) {
    case Kind::Edit:
      align = cell.colSpan == 1 ? (Qt::AlignLeft | Qt::AlignVCenter) : Qt::AlignVCenter;
      break;
    case Kind::Button:
    case Kind::Panel:
      align = Qt::AlignVCenter;
      break;
    default:
      break;
  }
  grid->addWidget(w, cell.row, cell.col, cell.rowSpan, cell.colSpan, align);
}

void FormView::FinishLayouts() {
  for (auto& [container, grid] : grids_) {
    if (qobject_cast<QGroupBox*>(container)) {
      // Contents sit at the top of a group that is taller than they need. Groups
      // inside a group stand edge to edge: their frames part them.
      grid->setRowStretch(grid->rowCount(), 1);
      if (!container->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly).isEmpty()) grid->setVerticalSpacing(0);
    } else {
      // A tab's rows are a raster of equal cells, so row spans set the groups' heights;
      // its columns are as wide as the groups want, and what is left stays free at the right.
      for (int r = 0; r < grid->rowCount(); ++r) grid->setRowStretch(r, 1);
      grid->setColumnStretch(grid->columnCount(), 1);
    }
  }
  for (const Control* c : form_.All()) {
    if (c->GetKind() == Kind::Chart) static_cast<ChartPane*>(objects_.at(c))->ReserveOverlay();
  }
}

void FormView::Flush() {
  flushQueued_ = false;
  for (const Control* c : form_.TakeDirty()) Sync(*c);
}

void FormView::ScheduleFlush() {
  if (flushQueued_) return;
  flushQueued_ = true;
  QMetaObject::invokeMethod(this, [this] { Flush(); }, Qt::QueuedConnection);
}

void FormView::Sync(const Control& c) {
  auto it = objects_.find(&c);
  if (it == objects_.end()) return;
  QObject* o = it->second;
  switch (c.GetKind()) {
    case Kind::Form: {
      setWindowTitle(QString::fromStdString(c.Text()));
      QPalette p = palette();
      p.setColor(QPalette::Window, ToQColor(c.Colour(), QApplication::palette()));
      setPalette(p);
      break;
    }
    case Kind::PageControl: {
      QSignalBlocker block(tabs_);
      tabs_->setCurrentIndex(static_cast<const PageControl&>(c).ActivePage());
      tabs_->setEnabled(c.Enabled());
      break;
    }
    case Kind::TabSheet: {
      auto* page = static_cast<QWidget*>(o);
      int index = tabs_->indexOf(page);
      QSignalBlocker block(tabs_);
      tabs_->setTabText(index, QString::fromStdString(c.Text()));
      tabs_->setTabVisible(index, c.Visible());
      tabs_->setTabEnabled(index, c.Enabled());
      // Hiding the current tab moves the widget elsewhere; the model's choice stands.
      tabs_->setCurrentIndex(static_cast<const PageControl*>(c.Parent())->ActivePage());
      QPalette p = page->palette();
      p.setColor(QPalette::Window, ToQColor(c.Colour(), QApplication::palette()));
      page->setPalette(p);
      break;
    }
    case Kind::Chart:
      static_cast<ChartPane*>(o)->SyncChart();
      break;
    case Kind::Series:
      static_cast<ChartPane*>(o)->SyncSeries(static_cast<const SeriesControl&>(c));
      break;
    case Kind::Timer: {
      auto* timer = static_cast<QTimer*>(o);
      const auto& model = static_cast<const TimerControl&>(c);
      if (timer->interval() != model.Interval()) timer->setInterval(model.Interval());
      if (model.Enabled() && !timer->isActive()) timer->start();
      if (!model.Enabled() && timer->isActive()) timer->stop();
      break;
    }
    default:
      SyncWidget(c, static_cast<QWidget*>(o));
      break;
  }
}

void FormView::closeEvent(QCloseEvent* event) {
  // Qt ignores a second close while this one runs, so the shut-down runs once.
  const bool closes = !onClose || onClose();
  Flush();
  if (closes) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  if (watched == portTable_.first) {
    // Enter on a port's row opens it, as a double-click does.
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int row = portTable_.first->currentRow();
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || row < 0) return false;
    portTable_.second->SetSelected(row);
    portTable_.second->DblClick();
    return true;
  }
  auto it = edits_.find(watched);
  if (it == edits_.end()) return QWidget::eventFilter(watched, event);
  char key = KeyChar(*static_cast<QKeyEvent*>(event));
  if (!key) return false;
  const char typed = key;
  it->second->KeyPress(key);
  // The handler may have rewritten the edit (cleared it, masked it): show that
  // before the edit takes the key, or the key would land in the old text.
  Flush();
  if (key == typed) return false;
  if (key) static_cast<QLineEdit*>(watched)->insert(QString(QChar::fromLatin1(key)));
  return true;  // the handler swallowed or replaced the key
}

}  // namespace zhv
