// The parameter editors on a connected tool: conversion, write-back, what is
// posted, and what is not.
#include <string>
#include <tuple>

#include "fixture.h"
#include "ui/tab_panels.h"

namespace zhv {
namespace {

class Editors : public test::ToolTest {
 protected:
  // A unit under USB control with a known block on display. Bit 6 of word 0x00
  // and bits 14, 15 of word 0x0B are set: no editor may lose them.
  void Unit(std::uint8_t deviceType = cat::kTypeStorage, std::uint8_t gas = cat::kGasCombined) {
    if (t.link.IsOpen()) t.f.Button1.Click();  // "Сброс": the next unit starts afresh
    Connect(deviceType, gas);
    const std::uint16_t words[param::kWordCount] = {0x3240, 4000, 12000, 250, 100, 3000, 9000, 100,
                                                    20,     1200, 300,   0xC03C, 3600, 600, 60};
    for (std::uint8_t n = 0; n < param::kWordCount; ++n) param::PutWord(poll().param, n, words[n]);
    t.exchange.ShowParameters();
  }
  std::uint16_t Word(std::uint8_t n) const { return param::Word(t.exchange.poll.param, n); }
  void SetWord(std::uint8_t n, std::uint16_t value) { param::PutWord(poll().param, n, value); }
  // Every word but `n` as it stands.
  param::Block Without(std::uint8_t n) const {
    param::Block b = t.exchange.poll.param;
    param::PutWord(b, n, 0);
    return b;
  }
  // What the edit holds after the operator typed `text` and pressed its button.
  const std::string& Enter(Control& edit, Control& button, const std::string& text) {
    edit.TypeText(text);
    button.Click();
    return edit.Text();
  }
  bool Locked() const { return !t.f.Button123.Enabled() && t.f.Edit3310.ReadOnly(); }
};

TEST_F(Editors, DecimalEntriesAreScaledRoundedAndShownInTheirFormat) {
  struct Case {
    std::uint8_t gas;
    char separator;
    Control TForm1::*edit;
    Control TForm1::*button;
    const char* text;
    std::uint8_t offset;  // of the word written
    std::uint16_t word;
    const char* shown;
  };
  using F = TForm1;
  const Case cases[] = {
      // channel 1 by the displayed kind: the combined unit's first channel is natural gas
      {27, '.', &F::Edit123, &F::Button123, "2.5", 8, 250, "02.50"},
      {1, '.', &F::Edit123, &F::Button123, "2,5", 8, 250, "02.50"},
      {13, '.', &F::Edit123, &F::Button123, "0.04", 8, 40, "0.040"},
      {33, ',', &F::Edit1220, &F::Button1220, "1.5", 6, 1500, "1.500"},
      {23, '.', &F::Edit1220, &F::Button1220, "150", 6, 150, "0150"},
      {5, '.', &F::Edit123, &F::Button123, "7.6", 8, 8, "008"},
      // channel 2 and the valve: fixed scales
      {27, '.', &F::Edit2220, &F::Button2220, "12.6", 14, 13, "0013"},
      {27, '.', &F::Edit223, &F::Button223, "0.5", 16, 1, "0001"},
      {27, ',', &F::Edit3310, &F::Button331, "12,5", 18, 1250, "12.50"},
      {27, ',', &F::Edit3310, &F::Button331, "12.5", 18, 1250, "12.50"},
      {27, '.', &F::Edit3310, &F::Button331, "12,5", 18, 1250, "12.50"},
      {27, ',', &F::Edit3310, &F::Button331, "12,", 18, 1200, "12.00"},  // the locale's own, last
      {33, '.', &F::Edit1220, &F::Button1220, "65.535", 6, 65535, "65.535"},  // the word's top
      {27, '.', &F::Edit2220, &F::Button2220, "-0.4", 14, 0, "0000"},         // rounds to 0
  };
  for (const Case& c : cases) {
    Unit(cat::kTypeStorage, c.gas);
    s.locale.separator = c.separator;
    Control& edit = t.f.*c.edit;
    SCOPED_TRACE(testing::Message() << edit.Name() << " \"" << c.text << "\" kind " << int(c.gas));
    const std::uint8_t n = c.offset / 2;
    const param::Block others = Without(n);
    EXPECT_EQ(Enter(edit, t.f.*c.button, c.text), c.shown);
    EXPECT_EQ(Word(n), c.word);
    EXPECT_EQ(poll().paramOffset, c.offset);
    EXPECT_EQ(pending(), Pending::WriteWord);
    EXPECT_TRUE(Locked());
    EXPECT_EQ(Without(n), others) << "only the edited word changes";
  }
}

TEST_F(Editors, IntegerEntriesAreStoredAndShownInTheirFormat) {
  struct Case {
    Control TForm1::*edit;
    Control TForm1::*button;
    const char* text;
    const char* shown;
    std::uint8_t offset;
    std::uint16_t word;
  };
  const Case cases[] = {
      {&TForm1::Edit351, &TForm1::Button351, "65535", "65535", 20, 0xFFFF},
      {&TForm1::Edit421, &TForm1::Button421, "+7", "00007", 24, 7},
      {&TForm1::Edit422, &TForm1::Button422, "-0", "00000", 26, 0},
  };
  Unit();
  for (const Case& c : cases) {
    t.commands.lock.Unlock();
    poll().pending = Pending::None;
    EXPECT_EQ(Enter(t.f.*c.edit, t.f.*c.button, c.text), c.shown) << c.text;
    EXPECT_EQ(Word(c.offset / 2), c.word) << c.text;
    EXPECT_EQ(poll().paramOffset, c.offset) << c.text;
    EXPECT_EQ(pending(), Pending::WriteWord) << c.text;
  }
}

// A number the word cannot hold (it used to wrap round: -0.3 % became 655.06 %) is
// refused, with the range in red; a threshold above its sensor's range needs a «Да». Enter is «Записать».
TEST_F(Editors, EntriesThatCouldDisableAnAlarmAreRefusedOrConfirmed) {
  using F = TForm1;
  // said: the range on the panel, or the sensor's in the question; -1: no question, nothing posted
  const std::tuple<std::uint8_t, Control F::*, const char*, const char*, int, int> cases[] = {
      {1, &F::Edit123, "-0.3", "0.00…655.35", -1, -1},
      {1, &F::Edit123, "700", "0.00…655.35", -1, -1},
      {33, &F::Edit1220, "65.536", "0.000…65.535", -1, -1},
      {27, &F::Edit223, "-1", "0…65535", -1, -1},
      {27, &F::Edit351, "70000", "0…65535", -1, -1},
      {1, &F::Edit123, "5", "", -1, 500},  // the top of the sensor's range itself
      {1, &F::Edit123, "5.01", "CH4 (0…5.00 % об.)", 0, -1},
      {1, &F::Edit123, "5.01", "CH4 (0…5.00 % об.)", 1, 501},
      {33, &F::Edit123, "2.5", "CO2 (0…2.000 % об.)", 1, 2500},
      {27, &F::Edit223, "250", "CO (0…200 мг/м3)", 1, 250},
      {5, &F::Edit123, "9999", "", -1, 9999},  // a kind with no range of its own
  };
  for (const auto& [gas, member, text, said, answer, word] : cases) {
    Unit(cat::kTypeStorage, gas);
    Control& edit = t.f.*member;
    SCOPED_TRACE(testing::Message() << edit.Name() << " \"" << text << "\" kind " << int(gas));
    const std::string stored = edit.Text();
    const param::Block block = poll().param;
    s.dialogs.asked.clear();
    s.dialogs.answers = {answer == 1};
    edit.TypeText(text);
    char key = '\r';
    edit.KeyPress(key);
    ASSERT_EQ(key, 0) << "the edit takes no line break";
    ASSERT_EQ(s.dialogs.asked.size(), answer < 0 ? 0u : 1u);
    if (answer >= 0) {
      EXPECT_NE(s.dialogs.asked[0].find(said), std::string::npos) << s.dialogs.asked[0];
    }
    if (word >= 0) {
      EXPECT_EQ(Word(poll().paramOffset / 2), word);
      continue;
    }
    EXPECT_TRUE(edit.Text() == stored && poll().param == block && pending() == Pending::None && !Locked());
    const Control& panel = *TabPanelOf(t.f, edit);
    EXPECT_EQ(panel.Text(), answer < 0 ? "Не записано: допустимо " + std::string(said) : "Не записано");
    EXPECT_EQ(panel.FontColour(), answer < 0 ? clr::Red : clr::WindowText);
  }
}

TEST_F(Editors, SupplySetpointIsKeptAfterTheWordsAndPostedOnItsOwn) {
  Unit();
  const param::Block others = Without(param::kSetpointWord);
  EXPECT_EQ(Enter(t.f.Edit142, t.f.Button140, "3"), "3.00");
  EXPECT_EQ(Word(param::kSetpointWord), 300);
  EXPECT_EQ(Without(param::kSetpointWord), others) << "only the setpoint changes";
  EXPECT_EQ(pending(), Pending::SetSupply);
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
    EXPECT_EQ(Enter(t.f.Edit321, t.f.Button321, c.text), c.shown) << c.text;
    EXPECT_EQ(poll().param[1], c.stored) << c.text;
    EXPECT_EQ(poll().param[0], 0x40) << "flags byte unchanged";
    EXPECT_EQ(poll().paramOffset, 0);
    EXPECT_EQ(pending(), Pending::WriteWord);
  }
}

TEST_F(Editors, RecordPeriodIsClampedAndKeepsBits12To15) {
  Unit();
  EXPECT_EQ(Enter(t.f.Edit10210, t.f.Button10210, "5000"), "4095");
  EXPECT_EQ(Word(0x0B), 0xCFFF);
  EXPECT_EQ(poll().paramOffset, 22);
  EXPECT_EQ(pending(), Pending::WriteWord);
  EXPECT_FALSE(t.f.CheckBox10210.Checked());

  Unit();
  SetWord(0x0B, 0xF123);
  EXPECT_EQ(Enter(t.f.Edit10210, t.f.Button10210, "0"), "0000");
  EXPECT_TRUE(t.f.CheckBox10210.Checked());
  EXPECT_EQ(Word(0x0B), 0xF000);
  EXPECT_EQ(pending(), Pending::WriteWord);
}

TEST_F(Editors, NoRecordingBoxClearsThePeriodWithoutPosting) {
  Unit();
  t.f.CheckBox10210.Click();
  EXPECT_TRUE(t.f.CheckBox10210.Checked());
  EXPECT_EQ(Word(0x0B), 0xC000);
  EXPECT_EQ(t.f.Edit10210.Text(), "0000");
  EXPECT_EQ(pending(), Pending::None);
  EXPECT_FALSE(Locked());
  SetWord(0x0B, 0x003C);
  t.f.CheckBox10210.Click();  // unticking changes nothing
  EXPECT_EQ(Word(0x0B), 0x003C);
  // The redisplay ticks it without touching the block it shows.
  SetWord(0x0B, 0x1000);
  t.exchange.ShowParameters();
  EXPECT_TRUE(t.f.CheckBox10210.Checked());
  EXPECT_EQ(Word(0x0B), 0x1000);
}

TEST_F(Editors, TextThatIsNoNumberShowsTheStoredValueAndPostsNothing) {
  struct Editor {
    Control TForm1::*edit;
    Control TForm1::*button;
    const char* stored;
  };
  using F = TForm1;
  const Editor editors[] = {
      {&F::Edit123, &F::Button123, "01.00"},     {&F::Edit1220, &F::Button1220, "02.50"},
      {&F::Edit2220, &F::Button2220, "0100"},    {&F::Edit223, &F::Button223, "0020"},
      {&F::Edit3310, &F::Button331, "12.00"},    {&F::Edit351, &F::Button351, "00300"},
      {&F::Edit421, &F::Button421, "03600"},     {&F::Edit423, &F::Button423, "00060"},
      {&F::Edit321, &F::Button321, "050"},       {&F::Edit10210, &F::Button10210, "0060"},
      {&F::Edit142, &F::Button140, "2.50"},
  };
  const char* texts[] = {"abc", "", "+", "-", " 5", "5 ", "1e3", "0x10", "99999999999",
                         "4294967296", "двадцать", "１２", "1,2,3", "12..5"};
  Unit();
  for (char separator : {'.', ','}) {
    s.locale.separator = separator;
    for (const Editor& e : editors) {
      Control& edit = t.f.*e.edit;
      for (const char* text : texts) {
        // Each entry meets the unit as it was: the block shown again, editing open.
        t.exchange.ShowParameters();
        t.commands.lock.Unlock();
        poll().pending = Pending::None;
        const param::Block block = poll().param;
        EXPECT_EQ(Enter(edit, t.f.*e.button, text), e.stored) << edit.Name() << " \"" << text << '"';
        EXPECT_EQ(poll().param, block) << edit.Name() << " \"" << text << '"';
        EXPECT_EQ(pending(), Pending::None) << edit.Name() << " \"" << text << '"';
        EXPECT_FALSE(Locked()) << edit.Name() << " \"" << text << '"';
      }
    }
  }
  // The separator that is not the locale's converts nowhere but first: a trailing one fails.
  s.locale.separator = ',';
  EXPECT_EQ(Enter(t.f.Edit3310, t.f.Button331, "12."), "12.00");
  EXPECT_EQ(pending(), Pending::None);
  s.locale.separator = '.';
  EXPECT_EQ(Enter(t.f.Edit2220, t.f.Button2220, "12,"), "0100");
  EXPECT_EQ(pending(), Pending::None);
}

TEST_F(Editors, FlagBoxesPostTheWholeWordWithTheirBitFlipped) {
  struct Case {
    std::uint8_t type, gas;
    Control TForm1::*box;
    std::uint8_t word;
    std::uint16_t bit;
  };
  const Case cases[] = {{cat::kTypeStorage, 27, &TForm1::CheckBox320, 0x00, 0x0010},
                        {cat::kTypeVoice, 1, &TForm1::CheckBox360, 0x00, 0x0020},
                        {cat::kTypeVoice, 33, &TForm1::CheckBox1211, 0x00, 0x0080},
                        {cat::kTypeStorage, 27, &TForm1::CheckBox350, 0x0B, 0x1000},
                        {cat::kTypeStorage, 27, &TForm1::CheckBox3501, 0x0B, 0x2000}};
  for (const Case& c : cases) {
    Unit(c.type, c.gas);
    Control& box = t.f.*c.box;
    SCOPED_TRACE(box.Name());
    const std::uint16_t before = Word(c.word);
    ASSERT_TRUE(box.Checked());
    box.Click();  // untick: the function off
    EXPECT_EQ(Word(c.word), before | c.bit);
    EXPECT_EQ(poll().paramOffset, 2 * c.word);
    EXPECT_EQ(pending(), Pending::WriteWord);
    EXPECT_TRUE(Locked());
    t.commands.lock.Unlock();
    poll().pending = Pending::None;
    box.Click();  // tick again: on
    EXPECT_EQ(Word(c.word), before);
    EXPECT_EQ(pending(), Pending::WriteWord);
  }
}

TEST_F(Editors, RedisplayOfTheBlockNeverPosts) {
  Unit();
  // The unit's answer switches everything off and back: every box flips twice.
  for (int pass = 0; pass < 2; ++pass) {
    poll().param[0] = pass == 0 ? 0xB0 : 0x00;
    SetWord(0x0B, pass == 0 ? 0x303C : 0x003C);
    t.exchange.ShowParameters();
    EXPECT_EQ(t.f.CheckBox320.Checked(), pass == 1);
    EXPECT_EQ(t.f.CheckBox3501.Checked(), pass == 1);
    EXPECT_EQ(pending(), Pending::None);
    EXPECT_FALSE(Locked());
    const Echoes& e = t.display.state.echoes;
    EXPECT_FALSE(e.temperature || e.backupPower || e.valve || e.voice || e.cleanAir);
  }
  // The operator's next click is an operator's click again.
  t.f.CheckBox350.Click();
  EXPECT_EQ(pending(), Pending::WriteWord);
}

}  // namespace
}  // namespace zhv
