// The parameter editors on the window model: conversion, write-back, what is
// posted, and what is not.
#include <gtest/gtest.h>

#include "app/tool.h"
#include "commands/lock.h"
#include "decode/ServTKE.h"
#include "platform/fakes.h"

namespace zhv {
namespace {

struct Editors : ::testing::Test {
  fake::Services s;
  Tool t{s.platform()};

  // A unit under USB control with a known block on display. Bit 6 of word 0x00
  // and bits 14, 15 of word 0x0B are set: no editor may lose them.
  void Unit(std::uint8_t type = 0x11, std::uint8_t gas = 27) {
    t.r.sendDeviceType = t.r.rxDeviceType = type;
    t.r.gasKind = gas;
    t.r.displayedKind = gas == 27 ? 1 : gas;
    const int words[15] = {0x3240, 4000, 12000, 250, 100, 3000, 9000, 100,
                           20,     1200, 300,   0xC03C, 3600, 600, 60};
    for (int n = 0; n < 15; ++n) Word(n, words[n]);
    ShowParameterBlock(t);
    UnlockEditing(t);
  }
  void Word(int n, int v) {
    t.r.param[static_cast<std::size_t>(2 * n)] = static_cast<std::uint8_t>(v & 0xFF);
    t.r.param[static_cast<std::size_t>(2 * n + 1)] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
  int Word(int n) const { return t.r.param[std::size_t(2 * n)] | t.r.param[std::size_t(2 * n + 1)] << 8; }
  Control& C(const char* name) { return *t.f.Find(name); }
  // What the edit holds after the operator typed `text` and pressed its button.
  const std::string& Enter(const char* edit, const char* button, const std::string& text) {
    C(edit).TypeText(text);
    C(button).Click();
    return C(edit).Text();
  }
  bool Locked() const { return !t.f.Button123.Enabled() && t.f.Edit3310.ReadOnly(); }
};

TEST_F(Editors, DecimalEntriesAreScaledRoundedAndShownInTheirFormat) {
  struct Case {
    std::uint8_t gas;
    char separator;
    const char* edit;
    const char* button;
    const char* text;
    int offset;  // of the word written
    int word;
    const char* shown;
  };
  const Case cases[] = {
      // channel 1 by the displayed kind: the combined unit's first channel is natural gas
      {27, '.', "Edit123", "Button123", "2.5", 8, 250, "02.50"},
      {1, '.', "Edit123", "Button123", "2,5", 8, 250, "02.50"},
      {13, '.', "Edit123", "Button123", "0.04", 8, 40, "0.040"},
      {33, ',', "Edit1220", "Button1220", "1.5", 6, 1500, "1.500"},
      {23, '.', "Edit1220", "Button1220", "150", 6, 150, "0150"},
      {5, '.', "Edit123", "Button123", "7.6", 8, 8, "008"},
      // channel 2 and the valve: fixed scales
      {27, '.', "Edit2220", "Button2220", "12.6", 14, 13, "0013"},
      {27, '.', "Edit223", "Button223", "0.5", 16, 1, "0001"},
      {27, ',', "Edit3310", "Button331", "12,5", 18, 1250, "12.50"},
      {27, ',', "Edit3310", "Button331", "12.5", 18, 1250, "12.50"},
      {27, '.', "Edit3310", "Button331", "12,5", 18, 1250, "12.50"},
      {27, ',', "Edit3310", "Button331", "12,", 18, 1200, "12.00"},  // the locale's own, last
      // no range: the low 16 bits are stored, the unreduced value is shown
      {27, '.', "Edit2220", "Button2220", "70000", 14, 4464, "70000"},
      {27, '.', "Edit2220", "Button2220", "-5", 14, 65531, "-0005"},
  };
  for (const Case& c : cases) {
    Unit(0x11, c.gas);
    s.locale.separator = c.separator;
    const int other = Word(0x0D);
    EXPECT_EQ(Enter(c.edit, c.button, c.text), c.shown) << c.edit << " " << c.text;
    EXPECT_EQ(Word(c.offset / 2), c.word) << c.edit << " " << c.text;
    EXPECT_EQ(t.r.paramOffset, c.offset) << c.edit;
    EXPECT_EQ(t.r.pending, 11) << c.edit << " " << c.text;
    EXPECT_TRUE(Locked()) << c.edit;
    EXPECT_EQ(Word(0x0D), other) << "only the edited word changes";
    t.r.pending = 0;
  }
}

TEST_F(Editors, IntegerEntriesStoreTheLow16BitsAndShowTheirFormat) {
  Unit();
  EXPECT_EQ(Enter("Edit351", "Button351", "70000"), "70000");
  EXPECT_EQ(Word(0x0A), 4464);
  EXPECT_EQ(t.r.paramOffset, 20);
  EXPECT_EQ(t.r.pending, 11);
  UnlockEditing(t);
  EXPECT_EQ(Enter("Edit421", "Button421", "+7"), "00007");
  EXPECT_EQ(Word(0x0C), 7);
  UnlockEditing(t);
  EXPECT_EQ(Enter("Edit422", "Button422", "-1"), "-00001");
  EXPECT_EQ(Word(0x0D), 0xFFFF);
  EXPECT_EQ(t.r.paramOffset, 26);
  UnlockEditing(t);
  EXPECT_EQ(Enter("Edit423", "Button423", "2147483647"), "99999");
  EXPECT_EQ(Word(0x0E), 0xFFFF);
  EXPECT_EQ(t.r.paramOffset, 28);
}

TEST_F(Editors, SupplySetpointIsKeptAfterTheWordsAndPostedOnItsOwn) {
  Unit();
  EXPECT_EQ(Enter("Edit142", "Button140", "3"), "3.00");
  EXPECT_EQ(Word(15), 300);
  EXPECT_EQ(t.r.pending, 13);
  EXPECT_TRUE(Locked());
}

TEST_F(Editors, TemperatureThresholdIsClampedAndKeepsTheFlags) {
  struct Case {
    const char* text;
    const char* shown;
    int stored;
  };
  for (const Case& c : {Case{"200", "127", 127}, Case{"-5", "000", 0}, Case{"35", "035", 35}}) {
    Unit();
    EXPECT_EQ(Enter("Edit321", "Button321", c.text), c.shown) << c.text;
    EXPECT_EQ(t.r.param[1], c.stored) << c.text;
    EXPECT_EQ(t.r.param[0], 0x40) << "flags byte unchanged";
    EXPECT_EQ(t.r.paramOffset, 0);
    EXPECT_EQ(t.r.pending, 11);
  }
}

TEST_F(Editors, RecordPeriodIsClampedAndKeepsBits12To15) {
  Unit();
  EXPECT_EQ(Enter("Edit10210", "Button10210", "5000"), "4095");
  EXPECT_EQ(Word(0x0B), 0xCFFF);
  EXPECT_EQ(t.r.paramOffset, 22);
  EXPECT_EQ(t.r.pending, 11);
  EXPECT_FALSE(t.f.CheckBox10210.Checked());

  Unit();
  Word(0x0B, 0xF123);
  EXPECT_EQ(Enter("Edit10210", "Button10210", "0"), "0000");
  EXPECT_TRUE(t.f.CheckBox10210.Checked());
  EXPECT_EQ(Word(0x0B), 0xF000);
  EXPECT_EQ(t.r.pending, 11);
}

TEST_F(Editors, NoRecordingBoxClearsThePeriodWithoutPosting) {
  Unit();
  t.f.CheckBox10210.Click();
  EXPECT_TRUE(t.f.CheckBox10210.Checked());
  EXPECT_EQ(Word(0x0B), 0xC000);
  EXPECT_EQ(t.f.Edit10210.Text(), "0000");
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_FALSE(Locked());
  Word(0x0B, 0x003C);
  t.f.CheckBox10210.Click();  // unticking changes nothing
  EXPECT_EQ(Word(0x0B), 0x003C);
  // The redisplay ticks it without touching the block it shows.
  Word(0x0B, 0x1000);
  ShowParameterBlock(t);
  EXPECT_TRUE(t.f.CheckBox10210.Checked());
  EXPECT_EQ(Word(0x0B), 0x1000);
}

TEST_F(Editors, TextThatIsNoNumberShowsTheStoredValueAndPostsNothing) {
  struct Editor {
    const char* edit;
    const char* button;
    const char* stored;
  };
  const Editor editors[] = {
      {"Edit123", "Button123", "01.00"},   {"Edit1220", "Button1220", "02.50"},
      {"Edit2220", "Button2220", "0100"},  {"Edit223", "Button223", "0020"},
      {"Edit3310", "Button331", "12.00"},  {"Edit351", "Button351", "00300"},
      {"Edit421", "Button421", "03600"},   {"Edit423", "Button423", "00060"},
      {"Edit321", "Button321", "050"},     {"Edit10210", "Button10210", "0060"},
      {"Edit142", "Button140", "2.50"},
  };
  const char* texts[] = {"abc", "", "+", "-", " 5", "5 ", "1e3", "0x10", "99999999999",
                         "4294967296", "двадцать", "１２", "1,2,3", "12..5"};
  for (char separator : {'.', ','}) {
    s.locale.separator = separator;
    for (const Editor& e : editors) {
      for (const char* text : texts) {
        Unit();
        const auto block = t.r.param;
        EXPECT_EQ(Enter(e.edit, e.button, text), e.stored) << e.edit << " \"" << text << '"';
        EXPECT_EQ(t.r.param, block) << e.edit << " \"" << text << '"';
        EXPECT_EQ(t.r.pending, 0) << e.edit << " \"" << text << '"';
        EXPECT_FALSE(Locked()) << e.edit << " \"" << text << '"';
      }
    }
  }
  // The separator that is not the locale's converts nowhere but first: a trailing one fails.
  s.locale.separator = ',';
  Unit();
  EXPECT_EQ(Enter("Edit3310", "Button331", "12."), "12.00");
  EXPECT_EQ(t.r.pending, 0);
  s.locale.separator = '.';
  Unit();
  EXPECT_EQ(Enter("Edit2220", "Button2220", "12,"), "0100");
  EXPECT_EQ(t.r.pending, 0);
}

TEST_F(Editors, FlagBoxesPostTheWholeWordWithTheirBitFlipped) {
  struct Case {
    std::uint8_t type, gas;
    const char* box;
    int word, bit;
  };
  const Case cases[] = {{0x11, 27, "CheckBox320", 0x00, 0x0010}, {0x12, 1, "CheckBox360", 0x00, 0x0020},
                        {0x12, 33, "CheckBox1211", 0x00, 0x0080}, {0x11, 27, "CheckBox350", 0x0B, 0x1000},
                        {0x11, 27, "CheckBox3501", 0x0B, 0x2000}};
  for (const Case& c : cases) {
    Unit(c.type, c.gas);
    const int before = Word(c.word);
    ASSERT_TRUE(C(c.box).Checked()) << c.box;
    C(c.box).Click();  // untick: the function off
    EXPECT_EQ(Word(c.word), before | c.bit) << c.box;
    EXPECT_EQ(t.r.paramOffset, 2 * c.word) << c.box;
    EXPECT_EQ(t.r.pending, 11) << c.box;
    EXPECT_TRUE(Locked()) << c.box;
    UnlockEditing(t);
    t.r.pending = 0;
    C(c.box).Click();  // tick again: on
    EXPECT_EQ(Word(c.word), before) << c.box;
    EXPECT_EQ(t.r.pending, 11) << c.box;
  }
}

TEST_F(Editors, RedisplayOfTheBlockNeverPosts) {
  Unit(0x11, 27);
  // The unit's answer switches everything off and back: every box flips twice.
  for (int pass = 0; pass < 2; ++pass) {
    t.r.param[0] = pass == 0 ? 0xB0 : 0x00;
    Word(0x0B, pass == 0 ? 0x303C : 0x003C);
    ShowParameterBlock(t);
    EXPECT_EQ(t.f.CheckBox320.Checked(), pass == 1);
    EXPECT_EQ(t.f.CheckBox3501.Checked(), pass == 1);
    EXPECT_EQ(t.r.pending, 0);
    EXPECT_FALSE(Locked());
    EXPECT_EQ(t.r.echoTemperature + t.r.echoBackupPower + t.r.echoValve + t.r.echoVoice +
                  t.r.echoCleanAir, 0);
  }
  // The operator's next click is an operator's click again.
  t.f.CheckBox350.Click();
  EXPECT_EQ(t.r.pending, 11);
}

}  // namespace
}  // namespace zhv
