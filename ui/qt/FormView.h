// The main window on screen: a real widget for every control of the window model,
// kept in step with it, forwarding what the operator does back to it.
#pragma once

#include <QWidget>
#include <functional>
#include <utility>
#include <unordered_map>

#include "ui/window_model.h"

class QGridLayout;
class QTabWidget;
class QTableWidget;

namespace zhv {

class FormView : public QWidget {
 public:
  explicit FormView(TForm1& form, QWidget* parent = nullptr);
  ~FormView() override;

  // Brings the widget of every control changed since the last flush up to date.
  // Changes are flushed on their own from the event loop; this does it at once.
  void Flush();

  // Runs the orderly shut-down when the window is closed; the close goes on when
  // it returns true, and the window stays open when it returns false.
  std::function<bool()> onClose;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QObject* Create(Control& c);
  QWidget* CreateWidget(Control& c, QWidget* container);
  void Place(const Control& c, QWidget* w);
  void FinishLayouts();
  void Sync(const Control& c);
  void ScheduleFlush();

  TForm1& form_;
  PageControl* pages_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  std::unordered_map<const Control*, QObject*> objects_;
  std::unordered_map<const QObject*, Control*> edits_;  // for the key filter
  std::pair<QTableWidget*, ListViewControl*> portTable_{};  // Enter on a row opens its port
  std::unordered_map<QWidget*, QGridLayout*> grids_;
  bool flushQueued_ = false;
};

}  // namespace zhv
