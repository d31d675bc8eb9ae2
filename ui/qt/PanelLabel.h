// A panel of the window: a framed, centred caption on its own colour.
#pragma once

#include <QLabel>

namespace zhv {

class PanelLabel : public QLabel {
 public:
  explicit PanelLabel(QWidget* parent);

  // Its size comes from its grid cell alone, so a new caption never moves the neighbours.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // A caption too long for the panel is drawn condensed rather than cut.
  static constexpr int kNarrowest = 80;  // per cent of the normal width
  QFont DrawingFont() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace zhv
