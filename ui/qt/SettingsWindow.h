// The settings window beside the main one: the unit's settings against a
// file's, field by field, the differences marked, and a restore's progress.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/platform.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace zhv {

class StatusLine;

class SettingsPane : public QWidget {
 public:
  SettingsPane(QWidget* owner, std::function<void()> stop);
  void Fill(const SettingsView& view);

 private:
  QLabel* heading_;
  QTableWidget* table_;
  StatusLine* status_;
  QProgressBar* progress_;
  QPushButton* stop_;
};

class QtSettingsWindow : public ISettingsWindow {
 public:
  // The window belongs to the main one and closes with it; it is made when first shown.
  void SetOwner(QWidget* owner) { owner_ = owner; }
  void Show(const SettingsView& view) override;
  void SetStopHandler(std::function<void()> stop) override { stop_ = std::move(stop); }
  QWidget* Window() const { return pane_; }

 private:
  QPointer<QWidget> owner_;
  QPointer<SettingsPane> pane_;
  std::function<void()> stop_;
};

}  // namespace zhv
