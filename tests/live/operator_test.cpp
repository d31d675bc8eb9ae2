// The operator at the real window: keys into the edits, presses on the buttons,
// through the real Qt serial port to a simulated unit on a pseudo-terminal that
// this test serves itself, so it can look into the unit as it goes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/tool.h"
#include "exchange/startup.h"
#include "live/pty_unit.h"
#include "platform/fakes.h"
#include "platform/qt_serial.h"
#include "sim/unit.h"
#include "ui/qt/FormView.h"
#include "ui/view_fixture.h"

namespace zhv {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::PtyUnit;

struct Operator : ::testing::Test {
  sim::Unit unit{[] {
    sim::Options o;
    o.deviceType = 0x11;
    o.gasKind = 27;
    o.warmUpMs = 0;
    return o;
  }()};
  std::unique_ptr<PtyUnit> pty;
  QtSerialPort port;
  fake::Services s;
  std::unique_ptr<Tool> tool;
  std::unique_ptr<FormView> view;

  void SetUp() override {
    test::App();
    pty = std::make_unique<PtyUnit>(unit);
    ASSERT_EQ(pty->Error(), "");
    s.ports.list = {{"Псевдотерминал", "Псевдотерминал (" + pty->Path() + ")"}};
    s.locale.separator = ',';  // as on a Russian desktop
    tool = std::make_unique<Tool>(s.platform(port));
    view = std::make_unique<FormView>(tool->f);
    FormCreate(*tool);
    view->show();
    tool->f.ListView1.SetSelected(0);
    tool->f.ListView1.DblClick();
    ASSERT_EQ(tool->r.portOpen, 1) << tool->f.Panel1.Text();
    ASSERT_TRUE(WaitFor([&] { return tool->r.firstPass == 1; })) << tool->f.Panel2.Text();
    // "Вкл.": USB control on, clicked once the button shows enabled.
    ASSERT_TRUE(WaitFor([&] { return Find<QPushButton>("Button102")->isEnabled(); }));
    Find<QPushButton>("Button102")->click();
    ASSERT_TRUE(WaitFor([&] { return Find<QPushButton>("Button123")->isEnabled(); }));
  }

  // Runs the event loop (ticks, port, unit, view) until the condition holds.
  template <typename F>
  bool WaitFor(F condition, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
      if (clock.elapsed() > ms) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    view->Flush();
    return true;
  }
  template <class W>
  W* Find(const char* name) {
    return view->findChild<W*>(QString::fromUtf8(name));
  }
  static void Key(QWidget* w, int key, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(w, &release);
  }
  static void Type(QWidget* w, const QString& text) {
    for (QChar c : text)
      Key(w, c.toUpper().unicode(), QString(c), c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
  }
  bool Idle() { return tool->r.pending == 0 && tool->r.state == 6; }
  void Shot(const char* file) {
    const QString dir = qEnvironmentVariable("ZHV_SHOTS", QDir::currentPath());
    QDir().mkpath(dir);
    EXPECT_TRUE(view->grab().save(dir + "/" + file)) << file;
  }
};

TEST_F(Operator, TypedThresholdGoesToTheUnitAndComesBackAfterTheReread) {
  auto* edit = Find<QLineEdit>("Edit123");
  ASSERT_FALSE(edit->isReadOnly());
  EXPECT_EQ(edit->text(), "01.00");
  Key(edit, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);  // select all
  Type(edit, "3,5");
  EXPECT_EQ(edit->text(), "3,5");
  EXPECT_EQ(tool->f.Edit123.Text(), "3,5");
  const int reads = unit.RequestCount(0x60);
  Find<QPushButton>("Button123")->click();

  ASSERT_TRUE(WaitFor([&] { return unit.RequestCount(0x90) == 1; }));
  EXPECT_EQ(unit.LastRequest()->data, (Bytes{0x5E, 0x01, 0x04}));
  ASSERT_TRUE(WaitFor([&] { return unit.RequestCount(0x60) > reads && Idle(); }));
  EXPECT_EQ(unit.Words()[4], 350);
  EXPECT_EQ(edit->text(), "03.50");
  EXPECT_FALSE(edit->isReadOnly());
  EXPECT_TRUE(Find<QPushButton>("Button123")->isEnabled());
  Shot("operator_threshold.png");
}

TEST_F(Operator, InitPassPhraseTypedMaskedIntoTheRealEdit) {
  Find<QPushButton>("Button125")->click();
  view->Flush();
  auto* edit = Find<QLineEdit>("Edit125");
  ASSERT_TRUE(edit->isVisible());
  EXPECT_EQ(edit->text().toStdString(), "Пароль?");
  EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
  EXPECT_FALSE(Find<QPushButton>("Button123")->isEnabled());

  Type(edit, "drop It");
  Key(edit, Qt::Key_Return, "\r");
  view->Flush();
  EXPECT_EQ(edit->text().toStdString(), "Ошибка");
  EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);

  Type(edit, "D");
  EXPECT_EQ(edit->text(), "D") << "the first key clears the error";
  EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
  Type(edit, "ROP IT");
  EXPECT_EQ(edit->text(), "DROP IT");
  Shot("operator_init_typed.png");
  Key(edit, Qt::Key_Return, "\r");

  ASSERT_TRUE(WaitFor([&] { return unit.RequestCount(0x30) == 1; }));
  EXPECT_EQ(unit.LastRequest()->data, Bytes{0xF0});
  ASSERT_TRUE(WaitFor([&] { return Idle() && (unit.Words()[0] & 0x03) == 0x03; }));
  EXPECT_FALSE(edit->isVisible());
  EXPECT_FALSE(Find<QCheckBox>("CheckBox121")->isChecked()) << "zero calibration to be done again";
  EXPECT_FALSE(Find<QCheckBox>("CheckBox122")->isChecked());
  EXPECT_TRUE(Find<QPushButton>("Button125")->isEnabled());
  Shot("operator_init_done.png");
}

}  // namespace
}  // namespace zhv
