// A fresh window model with its Qt view, offscreen.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QString>
#include <QTabWidget>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

#include "ui/qt/ChartPane.h"
#include "ui/qt/FormView.h"
#include "ui/window_model.h"

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace zhv::test {

// The test program's application object, made on first use (qt_app.cpp).
QApplication& App();

// The tab a control stands on, or nullptr for the window's own parts.
inline const Control* TabOf(const Control* c) {
  while (c && c->GetKind() != Kind::TabSheet) c = c->Parent();
  return c;
}

// The view's widget of this name and class. A missing one throws: the test
// fails there, and the program goes on to the next.
template <class W>
W* Child(const QWidget& view, const char* name) {
  W* w = view.findChild<W*>(QString::fromUtf8(name));
  if (!w) throw std::runtime_error(std::string("no widget ") + name + " of the class asked for");
  return w;
}

// Saves a screenshot for a person to judge into $ZHV_SHOTS (else the current folder);
// the path saved to, empty if it could not be.
inline QString SaveShot(QWidget& w, const char* file) {
  const QString dir = qEnvironmentVariable("ZHV_SHOTS", QDir::currentPath());
  QDir().mkpath(dir);
  const QString path = dir + "/" + file;
  return w.grab().save(path) ? path : QString();
}

class ViewTest : public ::testing::Test {
 protected:
  ViewTest() : app_(App()), view(std::make_unique<FormView>(form)) {}

  // The widget of this name, or nullptr.
  template <class W>
  W* Find(const char* name) const {
    return view->findChild<W*>(QString::fromUtf8(name));
  }
  // The widget of this name, which must be there (see Child).
  template <class W>
  W* Get(const char* name) const {
    return Child<W>(*view, name);
  }
  ChartPane* Pane(const char* name) const {
    auto* pane = dynamic_cast<ChartPane*>(Get<QWidget>(name));
    if (!pane) throw std::runtime_error(std::string(name) + " is no chart");
    return pane;
  }
  QTabWidget* Tabs() const { return Get<QTabWidget>("PageControl1"); }

  QApplication& app_;
  TForm1 form;
  std::unique_ptr<FormView> view;
};

}  // namespace zhv::test
