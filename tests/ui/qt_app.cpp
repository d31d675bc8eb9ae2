// One QApplication for the whole test program, gone before the program exits:
// Qt's own globals are torn down at exit, and an application object left for the
// exit handlers would outlive them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "view_fixture.h"

namespace zhv::test {
namespace {

int argc = 1;
char name[] = "ui_tests";
char* argv[] = {name, nullptr};
QApplication* app = nullptr;

class QtEnvironment : public ::testing::Environment {
 public:
  // The tools these tests start keep their settings here, not in the user's own.
  void SetUp() override { qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit()); }
  void TearDown() override {
    delete app;
    app = nullptr;
  }
  QTemporaryDir settings;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QApplication& App() {
  if (!app) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QApplication(argc, argv);
  }
  return *app;
}

}  // namespace zhv::test
