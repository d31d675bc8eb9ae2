// Copies a model control's whole state into its widget.
#pragma once

#include <QListWidget>

#include "ui/control.h"

namespace zhv {

// The trace window: keeps the model's top index, which a hidden list cannot scroll to yet.
class TraceList : public QListWidget {
 public:
  using QListWidget::QListWidget;
  void SetTopIndex(int index);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  int top_ = 0;
};

// For the plain widget kinds (group box, label, edit, button, check box, radio button,
// panel, list box, list view, progress bar). Signals are blocked while it runs.
void SyncWidget(const Control& control, QWidget* widget);

}  // namespace zhv
