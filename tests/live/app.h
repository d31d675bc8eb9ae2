// The one QApplication of the live test program, shared by its files.
#pragma once

#include <QApplication>

namespace zhv {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "live_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

}  // namespace zhv
