// The operator at the real window: keys into the edits, presses on the buttons,
// through the real Qt serial port to a simulated unit on a pseudo-terminal that
// this test serves itself, so it can look into the unit as it goes.
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "live/pty_unit.h"

namespace zhv::test {
namespace {

struct Operator : PtyToolTest {
  void SetUp() override {
    s.locale.separator = ',';  // as on a Russian desktop
    sim::Options o;
    o.deviceType = cat::kTypeStorage;
    o.gasKind = cat::kGasCombined;
    o.warmUpMs = 0;
    Connect(o);
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
  void Shot(const char* file) { EXPECT_FALSE(SaveShot(*view, file).isEmpty()) << file; }
};

TEST_F(Operator, TypedThresholdGoesToTheUnitAndComesBackAfterTheReread) {
  auto* edit = Widget<QLineEdit>("Edit123");
  ASSERT_FALSE(edit->isReadOnly());
  EXPECT_EQ(edit->text(), "01.00");
  Key(edit, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);  // select all
  Type(edit, "3,5");
  EXPECT_EQ(edit->text(), "3,5");
  EXPECT_EQ(tool->f.Edit123.Text(), "3,5");
  const int reads = unit->RequestCount(cat::kReadParams);
  Widget<QPushButton>("Button123")->click();

  ASSERT_TRUE(Until([&] { return unit->RequestCount(cat::kWriteWord) == 1; }));
  ASSERT_TRUE(unit->LastRequest());
  EXPECT_EQ(DataOf(*unit->LastRequest()), (Bytes{0x5E, 0x01, 0x04}));
  ASSERT_TRUE(Until([&] { return unit->RequestCount(cat::kReadParams) > reads && Idle(); }));
  EXPECT_EQ(unit->Words()[param::kThreshold1.word], 350);
  EXPECT_EQ(edit->text(), "03.50");
  EXPECT_FALSE(edit->isReadOnly());
  EXPECT_TRUE(Widget<QPushButton>("Button123")->isEnabled());
  Shot("operator_threshold.png");
}

TEST_F(Operator, InitPassPhraseTypedMaskedIntoTheRealEdit) {
  Widget<QPushButton>("Button125")->click();
  view->Flush();
  auto* edit = Widget<QLineEdit>("Edit125");
  ASSERT_TRUE(edit->isVisible());
  EXPECT_EQ(edit->text().toStdString(), "Пароль?");
  EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
  EXPECT_TRUE(Widget<QPushButton>("Button123")->isEnabled()) << "a prompt locks nothing";

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

  ASSERT_TRUE(Until([&] { return unit->RequestCount(cat::kCalibrate) == 1; }));
  ASSERT_TRUE(unit->LastRequest());
  EXPECT_EQ(DataOf(*unit->LastRequest()), Bytes{cat::kOpInit1});
  // INIT marks channel 1's zero and span calibrations as not done.
  const unsigned notDone = param::kZero1NotDone.mask | param::kSpan1NotDone.mask;
  ASSERT_TRUE(Until([&] { return Idle() && (unit->Words()[param::kZero1NotDone.word] & notDone) == notDone; }));
  EXPECT_FALSE(edit->isVisible());
  EXPECT_FALSE(Widget<QCheckBox>("CheckBox121")->isChecked()) << "zero calibration to be done again";
  EXPECT_FALSE(Widget<QCheckBox>("CheckBox122")->isChecked());
  EXPECT_TRUE(Widget<QPushButton>("Button125")->isEnabled());
  Shot("operator_init_done.png");
}

}  // namespace
}  // namespace zhv::test
