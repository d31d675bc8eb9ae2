#include "serial/qt_app.h"

namespace zhv::test {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "serial_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

}  // namespace zhv::test
