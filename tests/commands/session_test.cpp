// Whole operator commands, tick by tick, against the simulated unit in-process:
// what goes on the wire, what the unit keeps, what the window shows afterwards.
#include <random>
#include <string>
#include <tuple>

#include "decode/codecs.h"
#include "fixture.h"
#include "sim/frames.h"

namespace zhv {
namespace {

using test::Bytes;

class Session : public test::SimTest {
 protected:
  TForm1& f() { return tool->f; }
  bool Unlocked() { return f().Button123.Enabled() && !f().Edit123.ReadOnly(); }
  static void Enter(Control& edit, Control& button, const std::string& text) {
    edit.TypeText(text);
    button.Click();
  }
  // The data bytes of the last request the unit heard.
  Bytes LastData() {
    const auto& request = unit.LastRequest();
    if (!request) return {};
    return Bytes(request->Data().begin(), request->Data().end());
  }
  std::uint16_t ToolWord(std::uint8_t n) { return param::Word(poll().param, n); }
  // A command has finished and editing is back; the re-read after it may still be to come.
  void UntilEditingBack() {
    for (int i = 0; i < 200 && !(poll().pending == Pending::None && Unlocked()); ++i) Tick();
  }
};

TEST_F(Session, ThresholdWriteFromTheEditToTheUnitAndBack) {
  Start();
  ASSERT_EQ(f().Edit123.Text(), "01.00");
  Enter(f().Edit123, f().Button123, "2,5");
  EXPECT_EQ(f().Edit123.Text(), "02.50");
  EXPECT_FALSE(Unlocked());
  EXPECT_EQ(unit.Words()[4], 100) << "nothing is sent by the button itself";

  const int reads = unit.RequestCount(cat::kReadParams);
  ASSERT_TRUE(UntilRequest(cat::kWriteWord));
  const Bytes frame{0x0D, 0x11, 0x90, 0x03, 0xFA, 0x00, 0x04, 0x0D ^ 0x11 ^ 0x90 ^ 0x03 ^ 0xFA ^ 0x04};
  ASSERT_FALSE(port.Written().empty());
  EXPECT_EQ(port.Written().back().bytes, frame);
  EXPECT_EQ(unit.Words()[4], 250);
  EXPECT_FALSE(Unlocked()) << "locked until the unit has answered";

  Tick(2);  // the answer is taken: stored, shown, editing back
  EXPECT_EQ(poll().pending, Pending::None);
  EXPECT_TRUE(Unlocked());
  Settle();
  EXPECT_EQ(unit.RequestCount(cat::kReadParams), reads + 1) << "the block is read again";
  EXPECT_EQ(f().Edit123.Text(), "02.50");
  EXPECT_EQ(unit.RequestCount(cat::kWriteWord), 1);
}

// Editing comes back at a command's finish, before the block read that follows it
// is answered: a write entered in that moment must still send the entry.
TEST_F(Session, WritesEnteredWhileTheBlockIsReadAgainSendTheEntry) {
  Start();
  f().Button102.Click();  // "Вкл." again: a command that ends with a re-read
  UntilEditingBack();
  ASSERT_EQ(poll().state, State::ReadParams) << "the re-read is still to come";
  Enter(f().Edit123, f().Button123, "2.5");
  ASSERT_TRUE(UntilRequest(cat::kWriteWord));
  EXPECT_EQ(LastData(), (Bytes{0xFA, 0x00, 0x04}));
  Settle();
  EXPECT_EQ(f().Edit123.Text(), "02.50");

  f().Button102.Click();
  UntilEditingBack();
  Tick();  // the re-read is on the wire, its answer not yet taken
  ASSERT_EQ(poll().state, State::AwaitParams);
  Enter(f().Edit142, f().Button140, "3");
  ASSERT_TRUE(UntilRequest(cat::kSetSupply));
  EXPECT_EQ(LastData(), (Bytes{0x2C, 0x01}));
}

TEST_F(Session, TheDisplayFollowsTheUnitNotTheEntry) {
  Start();
  unit.faults().keepWords = true;
  Enter(f().Edit421, f().Button421, "300");
  EXPECT_EQ(f().Edit421.Text(), "00300");
  ASSERT_TRUE(UntilRequest(cat::kWriteWord));
  EXPECT_EQ(LastData(), (Bytes{0x2C, 0x01, 0x0C}));
  Settle();
  EXPECT_EQ(f().Edit421.Text(), "03600");
  EXPECT_EQ(ToolWord(0x0C), 3600);
}

TEST_F(Session, TextThatIsNoNumberNeverReachesTheUnit) {
  Start();
  s.locale.separator = ',';  // a trailing point is then no separator
  for (const char* text : {"abc", "", "-", "12.", "99999999999"}) {
    Enter(f().Edit3310, f().Button331, text);
    EXPECT_EQ(f().Edit3310.Text(), "12.00") << text;
    EXPECT_TRUE(Unlocked()) << text;
  }
  Tick(300);
  EXPECT_EQ(unit.RequestCount(cat::kWriteWord), 0);
}

TEST_F(Session, FlagBoxesAndThePeriodShareWord0x0B) {
  Start();
  f().CheckBox350.Click();  // backup power off
  ASSERT_TRUE(UntilRequest(cat::kWriteWord));
  EXPECT_EQ(LastData(), (Bytes{0x3C, 0x10, 0x0B}));
  Settle();
  EXPECT_FALSE(f().CheckBox350.Checked());

  Enter(f().Edit10210, f().Button10210, "0");
  EXPECT_TRUE(f().CheckBox10210.Checked());
  ASSERT_TRUE(UntilRequest(cat::kWriteWord));
  Settle();
  EXPECT_EQ(unit.Words()[0x0B], 0x1000) << "no recording, the backup power flag kept";
  EXPECT_FALSE(f().CheckBox350.Checked());
  EXPECT_TRUE(f().CheckBox3501.Checked());
  EXPECT_EQ(f().Edit10210.Text(), "0000");
  Tick(300);
  EXPECT_EQ(unit.RequestCount(cat::kWriteWord), 2) << "the redisplays posted nothing";
}

TEST_F(Session, SupplySetpointIsSetAndTheSensorFollows) {
  Start();
  Enter(f().Edit142, f().Button140, "3.00");
  ASSERT_TRUE(UntilRequest(cat::kSetSupply));
  EXPECT_EQ(LastData(), (Bytes{0x2C, 0x01}));
  EXPECT_EQ(unit.SupplySetpoint(), 300);
  Settle();
  Tick(150);  // a status poll shows the sensor supply
  EXPECT_EQ(f().Edit141.Text(), "3.00");
}

TEST_F(Session, InitThenZeroAndSpanCalibrationOfChannel1) {
  Start();
  f().Button125.Click();
  for (char c : std::string("DROP IT")) {
    char key = c;
    f().Edit125.KeyPress(key);
    f().Edit125.TypeText(f().Edit125.Text() + key);
  }
  char enter = '\r';
  f().Edit125.KeyPress(enter);
  ASSERT_TRUE(UntilRequest(cat::kCalibrate));
  EXPECT_EQ(LastData(), Bytes{cat::kOpInit1});
  Settle();
  EXPECT_EQ(unit.Words()[0] & 0x0F, 0x03);
  EXPECT_FALSE(f().CheckBox121.Checked());
  EXPECT_FALSE(f().CheckBox122.Checked());
  EXPECT_TRUE(Unlocked());

  s.dialogs.answers = {true, true};  // «Да» to both calibrations
  f().Button121.Click();
  ASSERT_TRUE(UntilRequest(cat::kCalibrate));
  EXPECT_EQ(LastData(), Bytes{cat::kOpZero1});
  Settle();
  EXPECT_TRUE(f().CheckBox121.Checked());
  EXPECT_FALSE(f().CheckBox122.Checked());
  EXPECT_EQ(ToolWord(1), unit.Words()[1]);
  EXPECT_EQ(f().Edit121.Text(), FormatValue(0x45, unit.Words()[1]));

  f().Button1221.Click();
  ASSERT_TRUE(UntilRequest(cat::kCalibrate));
  EXPECT_EQ(LastData(), Bytes{cat::kOpSpan1});
  Settle();
  EXPECT_TRUE(f().CheckBox122.Checked());
  EXPECT_EQ(f().Edit1221.Text(), FormatValue(0x45, unit.Words()[2]));
  EXPECT_EQ(f().Panel120.Text(), "");
}

TEST_F(Session, CalibrationAndEepromFailuresAreShownAndEditingComesBack) {
  Start();
  unit.faults().calibrationError = 0x13;
  const auto words = unit.Words();
  s.dialogs.answers = {true, true};
  f().Button2221.Click();
  ASSERT_TRUE(UntilRequest(cat::kCalibrate));
  EXPECT_EQ(LastData(), Bytes{cat::kOpSpan2});
  Settle();
  EXPECT_EQ(f().Panel220.Text(), "Cенсор отключен");
  EXPECT_EQ(unit.Words(), words);
  EXPECT_TRUE(Unlocked());

  unit.faults().eepromFailure = true;
  f().Button424.Click();
  ASSERT_TRUE(UntilRequest(cat::kRewriteEeprom));
  Settle();
  EXPECT_EQ(f().Panel120.Text(), "Ошибка перезаписи EEPROM");
  EXPECT_EQ(f().Panel220.Text(), "Ошибка перезаписи EEPROM");
  EXPECT_TRUE(Unlocked());
}

// The re-read after a write tells whether the unit took the word: «Записано» in
// green, or in red what the unit holds; the setpoint by its own answer.
TEST_F(Session, TheReReadSaysWhetherTheUnitTookTheWrite) {
  using F = TForm1;
  const std::tuple<bool, Control F::*, Control F::*, const char*, Control F::*, const char*> cases[] = {
      {false, &F::Edit123, &F::Button123, "2.5", &F::Panel120, "Записано"},
      {true, &F::Edit123, &F::Button123, "3", &F::Panel120, "Не записано: в ТКЭ 02.50"},
      {true, &F::Edit421, &F::Button421, "7", &F::Panel420, "Не записано: в ТКЭ 03600"},
      {true, &F::Edit10210, &F::Button10210, "7", &F::Panel1020, "Не записано: в ТКЭ 0060"},
      {true, nullptr, &F::CheckBox320, "", &F::Panel390, "Не записано: в ТКЭ вкл."},
      {true, &F::Edit142, &F::Button140, "3", &F::Panel120, "Записано"}};  // no word of the block
  Start();
  for (const auto& [keep, edit, button, text, panel, verdict] : cases) {
    unit.faults().keepWords = keep;
    if (edit) (f().*edit).TypeText(text);
    (f().*button).Click();
    Settle();
    EXPECT_EQ((f().*panel).Text(), verdict) << (f().*button).Name();
    EXPECT_EQ((f().*panel).FontColour(), verdict == std::string("Записано") ? clr::Green : clr::Red);
  }
  Enter(f().Edit421, f().Button421, "8");
  Settle();
  EXPECT_EQ(f().Edit142.Text(), "3.00") << "what the unit confirmed, not the kind's nominal 2.50";
}

// A command the unit never answers: once the silence word shows, «Отменить
// команду» drops it, gives editing back and says that nothing was confirmed.
TEST_F(Session, ACommandTheUnitNeverConfirmsCanBeCancelled) {
  using F = TForm1;
  const std::tuple<std::uint8_t, Control F::*, Control F::*> cases[] = {
      {cat::kWriteWord, &F::Edit123, &F::Button123}, {cat::kSetSupply, &F::Edit142, &F::Button140},
      {cat::kCalibrate, nullptr, &F::Button1221}, {cat::kRewriteEeprom, nullptr, &F::Button424},
      {cat::kUnitControl, nullptr, &F::Button103}};
  Start();
  for (const auto& [silent, edit, button] : cases) {
    unit.faults().silent = {silent};
    s.dialogs.answers = {true};
    if (edit) (f().*edit).TypeText("3");
    (f().*button).Click();
    Seconds(3.5);
    EXPECT_FALSE(f().Button126.Visible()) << "not before the silence word";
    Seconds(2);
    ASSERT_TRUE(f().Button425.Visible());
    f().Button126.Click();
    EXPECT_TRUE(poll().pending == Pending::None && Unlocked() && f().Button101.Enabled() && !f().Button126.Visible())
        << (f().*button).Name();
    EXPECT_EQ(f().Panel120.Text(), "Команда отменена: ТКЭ её не подтвердил");
    unit.faults().silent.clear();
    Settle();  // the block is read afresh: the window shows what the unit holds, not what was asked
    for (std::uint8_t n = 0; n < param::kWordCount; ++n) EXPECT_EQ(ToolWord(n), unit.Words()[n]) << int(n);
  }
}

// Whatever the operator types into whichever editor, the unit gets well-formed
// writes of real words, and the window ends up showing what the unit holds.
TEST_F(Session, AnyTypingKeepsTheWireAndTheBlockSound) {
  Start();
  const std::pair<Control TForm1::*, Control TForm1::*> editors[] = {
      {&TForm1::Edit123, &TForm1::Button123},     {&TForm1::Edit1220, &TForm1::Button1220},
      {&TForm1::Edit2220, &TForm1::Button2220},   {&TForm1::Edit223, &TForm1::Button223},
      {&TForm1::Edit3310, &TForm1::Button331},    {&TForm1::Edit351, &TForm1::Button351},
      {&TForm1::Edit421, &TForm1::Button421},     {&TForm1::Edit321, &TForm1::Button321},
      {&TForm1::Edit10210, &TForm1::Button10210}, {&TForm1::Edit142, &TForm1::Button140}};
  const std::string alphabet = "0123456789.,+- e";
  std::mt19937 random(6);
  for (int i = 0; i < 150; ++i) {
    const auto& [edit, button] = editors[random() % std::size(editors)];
    std::string text;
    for (std::size_t n = random() % 9; n > 0; --n) text += alphabet[random() % alphabet.size()];
    Enter(f().*edit, f().*button, text);
    Settle();
    ASSERT_TRUE(Unlocked()) << text;
    const auto words = unit.Words();
    for (std::uint8_t n = 0; n < param::kWordCount; ++n)
      ASSERT_EQ(ToolWord(n), words[n]) << "word " << int(n) << " after " << text;
  }
  sim::FrameParser parser;
  for (const auto& w : port.Written()) parser.Feed(w.bytes.data(), w.bytes.size());
  int frames = 0, writes = 0;
  while (auto frame = parser.Next()) {
    ++frames;
    if (frame->command != cat::kWriteWord) continue;
    ++writes;
    ASSERT_EQ(frame->length, cat::kWriteWordLen);
    EXPECT_LE(frame->data[2], param::kLastWord);
  }
  EXPECT_EQ(frames, static_cast<int>(port.Written().size())) << "every write is one whole frame";
  EXPECT_GT(writes, 20);
}

}  // namespace
}  // namespace zhv
