// A fresh window model with its Qt view, offscreen.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QTabWidget>
#include <memory>
#include <ostream>

#include "ui/VisblForm.h"
#include "ui/qt/FormView.h"

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

class ViewTest : public ::testing::Test {
 protected:
  ViewTest() : app_(App()), view(std::make_unique<FormView>(form)) {}

  template <class W>
  W* Find(const char* name) const {
    return view->findChild<W*>(QString::fromUtf8(name));
  }
  QTabWidget* Tabs() const { return Find<QTabWidget>("PageControl1"); }

  QApplication& app_;
  TForm1 form;
  std::unique_ptr<FormView> view;
};

}  // namespace zhv::test
