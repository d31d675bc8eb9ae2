// The test program's one application object, made on first use and shared by
// every file of the program: Qt allows only one.
#pragma once

#include <QApplication>

namespace zhv::test {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "live_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

}  // namespace zhv::test
