#include "ui/qt/StatusLine.h"

#include <QApplication>

#include "ui/control.h"
#include "ui/qt/Colours.h"

namespace zhv {

StatusLine::StatusLine(QWidget* parent, const char* objectName) : QLabel(parent) {
  setObjectName(objectName);
  setWordWrap(true);
  setTextFormat(Qt::PlainText);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setAutoFillBackground(true);
}

void StatusLine::Say(const std::string& text, bool isError) {
  setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  const QPalette application = QApplication::palette();
  QPalette p = palette();
  p.setColor(QPalette::Window, isError ? ToQColor(clr::Red, application) : application.color(QPalette::Window));
  setPalette(p);
}

}  // namespace zhv
