// Calibration, EEPROM rewrite and the INIT pass phrase on the window model.
#include <gtest/gtest.h>

#include "app/tool.h"
#include "commands/lock.h"
#include "platform/fakes.h"

namespace zhv {
namespace {

struct Calibration : ::testing::Test {
  fake::Services s;
  Tool t{s.platform()};

  void SetUp() override {
    t.r.sendDeviceType = 0x11;
    t.r.gasKind = 27;
    UnlockEditing(t);
  }
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
  const std::pair<const char*, int> cases[] = {
      {"Button121", 0x00}, {"Button1221", 0x10}, {"Button221", 0x01}, {"Button2221", 0x11}};
  for (auto [button, operation] : cases) {
    UnlockEditing(t);
    t.r.pending = 0;
    t.f.Find(button)->Click();
    EXPECT_EQ(t.r.pending, 15) << button;
    EXPECT_EQ(t.r.commandArg, operation) << button;
    EXPECT_TRUE(Locked()) << button;
  }
}

TEST_F(Calibration, EveryEepromButtonPostsTheRewrite) {
  for (const char* button : {"Button124", "Button224", "Button324", "Button334", "Button354",
                             "Button364", "Button424", "Button524"}) {
    // The backup power group's button is there for 0x11, the voice group's for 0x12.
    t.r.sendDeviceType = std::string(button) == "Button364" ? 0x12 : 0x11;
    UnlockEditing(t);
    t.r.pending = 0;
    t.r.commandArg = 0x5A;
    t.f.Find(button)->Click();
    EXPECT_EQ(t.r.pending, 17) << button;
    EXPECT_EQ(t.r.commandArg, 0x5A) << button;
    EXPECT_TRUE(Locked()) << button;
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
  EXPECT_FALSE(t.f.Button225.Enabled());
  EXPECT_TRUE(Locked());
  EXPECT_EQ(t.r.pending, 0);

  // The first key clears the prompt and masks; the wrong case is an error.
  Type(edit, "D");
  EXPECT_EQ(edit.Text(), "D");
  EXPECT_EQ(edit.PasswordChar(), '*');
  Type(edit, "rop it");
  Enter(edit);
  EXPECT_EQ(edit.Text(), "Ошибка");
  EXPECT_EQ(edit.PasswordChar(), 0);
  EXPECT_EQ(t.r.pending, 0);

  // Too long, too short, a Cyrillic look-alike: errors each time, each retyped from empty.
  for (const char* wrong : {"DROP IT!", "DROP I", "DRОP IT", "drop It", ""}) {
    Type(edit, wrong);
    Enter(edit);
    EXPECT_EQ(edit.Text(), "Ошибка") << wrong;
    EXPECT_EQ(t.r.pending, 0) << wrong;
  }

  Type(edit, "DROP IT");
  EXPECT_EQ(edit.Text(), "DROP IT") << "the error is cleared by the first key";
  Enter(edit);
  EXPECT_FALSE(edit.Visible());
  EXPECT_FALSE(edit.Enabled());
  EXPECT_EQ(t.r.pending, 15);
  EXPECT_EQ(t.r.commandArg, 0xF0);
  EXPECT_TRUE(Locked());
}

TEST_F(Calibration, InitOnTheSecondTabTakesTheLowerCasePhrase) {
  t.f.Button225.Click();
  Type(t.f.Edit225, "drop it");
  Enter(t.f.Edit225);
  EXPECT_EQ(t.r.pending, 15);
  EXPECT_EQ(t.r.commandArg, 0xF1);
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
  UnlockEditing(t);
  EXPECT_FALSE(t.f.Edit125.Visible());
  Enter(t.f.Edit125);
  EXPECT_EQ(t.r.pending, 0);
}

}  // namespace
}  // namespace zhv
