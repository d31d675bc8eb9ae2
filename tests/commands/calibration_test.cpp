// Calibration, EEPROM rewrite and the INIT pass phrase, on a connected tool:
// each posts its command and locks editing; nothing is sent until a tick takes it.
#include <string>
#include <utility>

#include "fixture.h"

namespace zhv {
namespace {

class Calibration : public test::ToolTest {
 protected:
  void SetUp() override { Connect(cat::kTypeStorage, cat::kGasCombined); }
  bool Locked() const { return !t.f.Button123.Enabled() && t.f.Edit123.ReadOnly(); }
  // Keys as the edit gets them: the handler first, then the edit takes the character.
  static void Type(Control& edit, const std::string& keys) {
    for (char k : keys) {
      char key = k;
      edit.KeyPress(key);
      if (key) edit.TypeText(edit.Text() + key);
    }
  }
  static void Enter(Control& edit) {
    char key = '\r';
    edit.KeyPress(key);
  }
};

TEST_F(Calibration, EachCalibrationButtonPostsItsOperation) {
  const std::pair<Control TForm1::*, std::uint8_t> cases[] = {
      {&TForm1::Button121, cat::kOpZero1}, {&TForm1::Button1221, cat::kOpSpan1},
      {&TForm1::Button221, cat::kOpZero2}, {&TForm1::Button2221, cat::kOpSpan2}};
  for (auto [member, operation] : cases) {
    Control& button = t.f.*member;
    t.commands.lock.Unlock();
    poll().pending = Pending::None;
    button.Click();  // «Нет», the default: nothing happens
    EXPECT_EQ(pending(), Pending::None) << button.Name();
    s.dialogs.answers = {true};
    button.Click();
    EXPECT_EQ(pending(), Pending::Calibrate) << button.Name();
    EXPECT_EQ(poll().commandArg, operation) << button.Name();
    EXPECT_TRUE(Locked()) << button.Name();
  }
  ASSERT_EQ(s.dialogs.asked.size(), 8u);  // each says what changes on which sensor
  EXPECT_NE(s.dialogs.asked[6].find("сенсора 2 (CO): ТКЭ сразу запомнит нынешнее напряжение сенсора как концентрацию 0 мг/м3"), std::string::npos);
}

TEST_F(Calibration, EveryEepromButtonPostsTheRewrite) {
  for (Control* button : {&t.f.Button124, &t.f.Button224, &t.f.Button324, &t.f.Button334, &t.f.Button354,
                          &t.f.Button364, &t.f.Button424, &t.f.Button524}) {
    // The backup power group's button is there for the storage variant, the voice group's for the voice one.
    t.link.SetSendType(button == &t.f.Button364 ? cat::kTypeVoice : cat::kTypeStorage);
    t.commands.lock.Unlock();
    poll().pending = Pending::None;
    poll().commandArg = 0x5A;
    button->Click();
    EXPECT_EQ(pending(), Pending::None) << button->Name() << ": asked first";
    s.dialogs.answers = {true};
    button->Click();
    EXPECT_EQ(pending(), Pending::RewriteEeprom) << button->Name();
    EXPECT_EQ(poll().commandArg, 0x5A) << button->Name();
    EXPECT_TRUE(Locked()) << button->Name();
  }
}

TEST_F(Calibration, InitAsksForThePassPhraseAndPostsOnlyForIt) {
  Control& edit = t.f.Edit125;
  t.f.Button125.Click();
  EXPECT_TRUE(edit.Visible());
  EXPECT_TRUE(edit.Enabled());
  EXPECT_EQ(edit.Text(), "Пароль?");
  EXPECT_EQ(edit.PasswordChar(), 0);
  EXPECT_TRUE(t.f.Button125.Enabled()) << "a second press starts afresh";
  EXPECT_FALSE(Locked()) << "a prompt left open keeps nothing locked";
  EXPECT_EQ(pending(), Pending::None);

  // The first key clears the prompt and masks; the wrong case is an error.
  Type(edit, "D");
  EXPECT_EQ(edit.Text(), "D");
  EXPECT_EQ(edit.PasswordChar(), '*');
  Type(edit, "rop it");
  Enter(edit);
  EXPECT_EQ(edit.Text(), "Ошибка");
  EXPECT_EQ(edit.PasswordChar(), 0);
  EXPECT_EQ(pending(), Pending::None);

  // Too long, too short, a Cyrillic look-alike: errors each time, each retyped from empty.
  for (const char* wrong : {"DROP IT!", "DROP I", "DRОP IT", "drop It", ""}) {
    Type(edit, wrong);
    Enter(edit);
    EXPECT_EQ(edit.Text(), "Ошибка") << wrong;
    EXPECT_EQ(pending(), Pending::None) << wrong;
  }

  Type(edit, "DROP IT");
  EXPECT_EQ(edit.Text(), "DROP IT") << "the error is cleared by the first key";
  Enter(edit);
  EXPECT_FALSE(edit.Visible());
  EXPECT_FALSE(edit.Enabled());
  EXPECT_EQ(pending(), Pending::Calibrate);
  EXPECT_EQ(poll().commandArg, cat::kOpInit1);
  EXPECT_TRUE(Locked());
}

TEST_F(Calibration, InitOnTheSecondTabTakesTheLowerCasePhrase) {
  t.f.Button225.Click();
  Type(t.f.Edit225, "drop it");
  Enter(t.f.Edit225);
  EXPECT_EQ(pending(), Pending::Calibrate);
  EXPECT_EQ(poll().commandArg, cat::kOpInit2);
  EXPECT_FALSE(t.f.Edit225.Visible());
}

TEST_F(Calibration, InitPressedAgainOrUnlockedStartsOverOrEndsTheEntry) {
  t.f.Button125.Click();
  Type(t.f.Edit125, "DRO");
  t.f.Button125.Click();
  EXPECT_EQ(t.f.Edit125.Text(), "Пароль?");
  EXPECT_EQ(t.f.Edit125.PasswordChar(), 0);
  Type(t.f.Edit125, "DROP IT");
  EXPECT_EQ(t.f.Edit125.Text(), "DROP IT");

  // A restart's command finish unlocks: the entry is gone and keys reach nothing.
  t.commands.lock.Unlock();
  EXPECT_FALSE(t.f.Edit125.Visible());
  Enter(t.f.Edit125);
  EXPECT_EQ(pending(), Pending::None);
  t.f.Button225.Click();
  char escape = 27;  // gives the entry up
  t.f.Edit225.KeyPress(escape);
  EXPECT_FALSE(t.f.Edit225.Visible());
}

}  // namespace
}  // namespace zhv
