#include "ui/qt/PanelLabel.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace zhv {

PanelLabel::PanelLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignCenter);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setAutoFillBackground(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize PanelLabel::sizeHint() const { return {1, fontMetrics().height() + 4}; }

QSize PanelLabel::minimumSizeHint() const { return sizeHint(); }

QFont PanelLabel::DrawingFont() const {
  QFont f = font();
  const int room = contentsRect().width() - 2;
  const int need = fontMetrics().horizontalAdvance(text());
  if (need > room && need > 0) f.setStretch(std::max(kNarrowest, room * 100 / need));
  return f;
}

void PanelLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  painter.setFont(DrawingFont());
  style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                        isEnabled(), text(), foregroundRole());
}

}  // namespace zhv
