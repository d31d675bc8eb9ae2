#include "ui/qt/WidgetSync.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>

#include "ui/qt/Colours.h"

namespace zhv {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Text colours apply to the active and inactive states; disabled text stays grey.
void SetTextColour(QWidget* w, QPalette::ColorRole role, TColor colour) {
  QPalette p = w->palette();
  QColor c = ToQColor(colour, QApplication::palette());
  if (p.color(QPalette::Active, role) == c && p.color(QPalette::Inactive, role) == c) return;
  p.setColor(QPalette::Active, role, c);
  p.setColor(QPalette::Inactive, role, c);
  w->setPalette(p);
}

void SetFill(QWidget* w, QPalette::ColorRole role, TColor colour) {
  QPalette p = w->palette();
  QColor c = ToQColor(colour, QApplication::palette());
  if (p.color(role) != c) {
    p.setColor(role, c);
    w->setPalette(p);
  }
}

// Labels and check marks show their parent's colour unless given one of their own.
void SetOwnFill(QWidget* w, TColor colour) {
  bool own = colour != clr::BtnFace;
  w->setAutoFillBackground(own);
  if (own) SetFill(w, QPalette::Window, colour);
}

void SyncCommon(const Control& c, QWidget* w) {
  w->setEnabled(c.Enabled());
  w->setVisible(c.Visible());
}

void SyncEdit(const Control& c, QLineEdit* e) {
  QString text = Q(c.Text());
  if (e->text() != text) e->setText(text);
  e->setReadOnly(c.ReadOnly());
  e->setEchoMode(c.PasswordChar() ? QLineEdit::Password : QLineEdit::Normal);
  SetFill(e, QPalette::Base, c.Colour());
  SetTextColour(e, QPalette::Text, c.FontColour());
}

void SyncCheck(const Control& c, QAbstractButton* b) {
  b->setText(Q(c.Text()));
  if (b->isChecked() != c.Checked()) {
    // An exclusive radio button cannot be unchecked directly.
    bool exclusive = b->autoExclusive();
    b->setAutoExclusive(false);
    b->setChecked(c.Checked());
    b->setAutoExclusive(exclusive);
  }
  SetOwnFill(b, c.Colour());
  SetTextColour(b, QPalette::WindowText, c.FontColour());
}

void SyncListBox(const ListBoxControl& c, TraceList* list) {
  const auto& items = c.Items();
  int n = static_cast<int>(items.size());
  // The trace mostly drops its first lines and appends new ones: keep what still matches.
  int drop = 0;
  while (drop < list->count()) {
    int k = 0;
    while (drop + k < list->count() && k < n && list->item(drop + k)->text() == Q(items[k])) ++k;
    if (drop + k == list->count()) break;
    ++drop;
  }
  for (int i = 0; i < drop; ++i) delete list->takeItem(0);
  for (int i = list->count(); i < n; ++i) list->addItem(Q(items[static_cast<std::size_t>(i)]));
  list->SetTopIndex(c.TopIndex());
  SetFill(list, QPalette::Base, c.Colour());
}

void SetCell(QTableWidget* table, int row, int col, const QString& text) {
  QTableWidgetItem* item = table->item(row, col);
  if (!item) {
    item = new QTableWidgetItem;
    item->setTextAlignment(col ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
    table->setItem(row, col, item);
  }
  if (item->text() != text) item->setText(text);
}

void SyncListView(const ListViewControl& c, QTableWidget* table) {
  const auto& rows = c.Rows();
  table->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const auto& row = rows[static_cast<std::size_t>(r)];
    SetCell(table, r, 0, Q(row.caption));
    SetCell(table, r, 1, Q(row.sub[0]));
    SetCell(table, r, 2, Q(row.sub[1]));
  }
  if (c.Selected() >= 0) {
    table->selectRow(c.Selected());
  } else {
    table->clearSelection();
  }
}

}  // namespace

void TraceList::SetTopIndex(int index) {
  top_ = index;
  if (QListWidgetItem* line = item(index)) scrollToItem(line, PositionAtTop);
}

void TraceList::showEvent(QShowEvent* event) {
  QListWidget::showEvent(event);
  SetTopIndex(top_);
}

void SyncWidget(const Control& c, QWidget* w) {
  QSignalBlocker block(w);
  switch (c.GetKind()) {
    case Kind::GroupBox: {
      auto* g = static_cast<QGroupBox*>(w);
      g->setTitle(Q(c.Text()));
      SetFill(g, QPalette::Window, c.Colour());
      SetTextColour(g, QPalette::WindowText, c.FontColour());
      break;
    }
    case Kind::Label:
      static_cast<QLabel*>(w)->setText(Q(c.Text()));
      SetOwnFill(w, c.Colour());
      SetTextColour(w, QPalette::WindowText, c.FontColour());
      break;
    case Kind::Panel:
      static_cast<QLabel*>(w)->setText(Q(c.Text()));
      SetFill(w, QPalette::Window, c.Colour());
      SetTextColour(w, QPalette::WindowText, c.FontColour());
      break;
    case Kind::Edit:
      SyncEdit(c, static_cast<QLineEdit*>(w));
      break;
    case Kind::Button:
      static_cast<QPushButton*>(w)->setText(Q(c.Text()));
      break;
    case Kind::CheckBox:
    case Kind::RadioButton:
      SyncCheck(c, static_cast<QAbstractButton*>(w));
      break;
    case Kind::ListBox:
      SyncListBox(static_cast<const ListBoxControl&>(c), static_cast<TraceList*>(w));
      break;
    case Kind::ListView:
      SyncListView(static_cast<const ListViewControl&>(c), static_cast<QTableWidget*>(w));
      break;
    case Kind::ProgressBar: {
      const auto& model = static_cast<const ProgressBarControl&>(c);
      auto* bar = static_cast<QProgressBar*>(w);
      if (bar->maximum() != model.Max()) bar->setRange(0, model.Max());
      bar->setValue(model.Position());
      break;
    }
    default:
      break;
  }
  SyncCommon(c, w);
}

}  // namespace zhv
