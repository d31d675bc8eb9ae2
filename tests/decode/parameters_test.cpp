// The parameter block laid out into the setting fields and configuration boxes,
// with the editors' click handlers bound as in the running tool.
#include <bit>
#include <vector>

#include "decode/decoders.h"
#include "fixture.h"

namespace zhv {
namespace {

class ParameterBlock : public test::ToolTest {
 protected:
  void SetUp() override {
    poll().unit.gasKind = cat::kGasCO2Optical;
    poll().unit.displayedKind = cat::kGasCO2Optical;
  }
  // The presenter alone: the block as it stands, for the unit type of the answer.
  void Show() { ShowParameterBlock(t.f, poll(), deviceType, t.display.state); }
  void Word(std::uint8_t n, std::uint16_t value) { param::PutWord(poll().param, n, value); }
  std::vector<Control*> FlagBoxes() {
    return {&t.f.CheckBox320, &t.f.CheckBox350, &t.f.CheckBox3501, &t.f.CheckBox360, &t.f.CheckBox1211};
  }
  int EchoesStanding() const {
    const Echoes& e = t.display.state.echoes;
    return e.temperature + e.backupPower + e.valve + e.voice + e.cleanAir;
  }

  std::uint8_t deviceType = cat::kTypeStorage;
};

TEST_F(ParameterBlock, ChangedBoxesRaiseTheirEchoSoNoWriteIsPosted) {
  int clicks = 0;
  for (Control* box : FlagBoxes()) {
    ASSERT_TRUE(box->OnClick) << box->Name() << " has no editor bound";
    box->OnClick = [&clicks, editor = box->OnClick] {
      ++clicks;
      editor();
    };
  }
  // Every function switched off: all five boxes (checked as designed) flip, and
  // the editors take each click as the display's own.
  poll().param[0] = 0x10 | 0x20 | 0x80;
  Word(0x0B, 0x3000);
  Show();
  EXPECT_EQ(clicks, 5);
  EXPECT_EQ(pending(), Pending::None);
  for (Control* c : FlagBoxes()) EXPECT_FALSE(c->Checked()) << c->Name();

  // The same block again changes no box: no click, no echo left standing.
  Show();
  EXPECT_EQ(clicks, 5);
  EXPECT_EQ(pending(), Pending::None);
  EXPECT_EQ(EchoesStanding(), 0);
}

TEST_F(ParameterBlock, EchoFlagRaisedOnlyForABoxThatChanges) {
  // Without the editors' handlers a raised flag stays visible.
  for (Control* c : FlagBoxes()) c->OnClick = nullptr;
  poll().param[0] = 0x10;  // temperature control off, everything else on
  Show();
  const Echoes& e = t.display.state.echoes;
  EXPECT_TRUE(e.temperature);
  EXPECT_FALSE(e.backupPower);
  EXPECT_FALSE(e.valve);
  EXPECT_FALSE(e.cleanAir);
  // The storage variant has no voice function: that box flips too.
  EXPECT_TRUE(e.voice);
}

TEST_F(ParameterBlock, TemperatureControlMirroredInTheStatusGroups) {
  poll().param[0] = 0x10;
  Show();
  for (Control* c : {&t.f.CheckBox320, &t.f.CheckBox101, &t.f.CheckBox201, &t.f.CheckBox301, &t.f.CheckBox401,
                     &t.f.CheckBox501})
    EXPECT_FALSE(c->Checked()) << c->Name();
  poll().param[0] = 0;
  Show();
  for (Control* c : {&t.f.CheckBox320, &t.f.CheckBox101, &t.f.CheckBox501}) EXPECT_TRUE(c->Checked()) << c->Name();
  // Natural and liquefied gas units have no temperature control.
  poll().unit.gasKind = cat::kGasC3H8;
  Show();
  EXPECT_FALSE(t.f.CheckBox320.Checked());
  EXPECT_FALSE(t.f.CheckBox301.Checked());
}

TEST_F(ParameterBlock, BoxesThatDependOnTheVariantAndKind) {
  struct Case {
    std::uint8_t type, kind, flags;
    std::uint16_t word0B;
    bool backup, valve, voice, cleanAir;
  };
  const Case cases[] = {
      {cat::kTypeStorage, 13, 0x00, 0x0000, true, true, false, true},
      {cat::kTypeStorage, 33, 0x80, 0x1000, false, true, false, false},
      {cat::kTypeStorage, 1, 0x00, 0x2000, true, false, false, false},
      {cat::kTypeBase, 13, 0x00, 0x0000, false, false, false, true},
      {cat::kTypeVoice, 23, 0x00, 0x0000, false, false, true, false},
      {cat::kTypeVoice, 23, 0x20, 0x0000, false, false, false, false},
  };
  for (const auto& c : cases) {
    deviceType = c.type;
    poll().unit.gasKind = c.kind;
    poll().param[0] = c.flags;
    Word(0x0B, c.word0B);
    Show();
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " kind " << int(c.kind));
    EXPECT_EQ(t.f.CheckBox350.Checked(), c.backup);
    EXPECT_EQ(t.f.CheckBox3501.Checked(), c.valve);
    EXPECT_EQ(t.f.CheckBox360.Checked(), c.voice);
    EXPECT_EQ(t.f.CheckBox1211.Checked(), c.cleanAir);
  }
}

// The display takes the unit type from the answer the tool received.
TEST_F(ParameterBlock, TheVariantIsThatOfTheAnsweringUnit) {
  Connect(cat::kTypeVoice, cat::kGasCO);
  EXPECT_TRUE(t.f.CheckBox360.Checked());
  EXPECT_FALSE(t.f.CheckBox350.Checked());
  EXPECT_FALSE(t.f.CheckBox3501.Checked());
  EXPECT_EQ(pending(), Pending::None);
}

TEST_F(ParameterBlock, CalibrationMarksLeaveTheVerdictPanelsAlone) {
  t.f.Panel120.SetText("Ошибка перезаписи EEPROM");
  t.f.Panel220.SetText("Ошибка перезаписи EEPROM");
  poll().param[0] = 0x05;  // zero calibration of both channels not done
  Show();
  EXPECT_FALSE(t.f.CheckBox121.Checked());
  EXPECT_TRUE(t.f.CheckBox122.Checked());
  EXPECT_FALSE(t.f.CheckBox221.Checked());
  EXPECT_TRUE(t.f.CheckBox222.Checked());
  EXPECT_EQ(t.f.Panel120.Text(), "Ошибка перезаписи EEPROM");
  EXPECT_EQ(t.f.Panel220.Text(), "Ошибка перезаписи EEPROM");
}

TEST_F(ParameterBlock, ChannelOneVoltagesAndConcentrations) {
  Word(0x01, 1234);
  Word(0x02, 20000);
  Word(0x03, 1500);
  Word(0x04, 40);
  Show();  // optical CO2: raw signal, no unit
  EXPECT_EQ(t.f.Edit121.Text(), "01234");
  EXPECT_EQ(t.f.Edit1221.Text(), "20000");
  EXPECT_EQ(t.f.Label1211.Text(), "");
  EXPECT_EQ(t.f.Label12212.Text(), "");
  EXPECT_EQ(t.f.Edit1220.Text(), "1.500");
  EXPECT_EQ(t.f.Edit123.Text(), "0.040");

  poll().unit.gasKind = cat::kGasCombined;  // combined unit: channel 1 shown as natural gas
  poll().unit.displayedKind = cat::kGasCH4;
  Show();
  EXPECT_EQ(t.f.Edit121.Text(), "0.1234");
  EXPECT_EQ(t.f.Edit1221.Text(), "2.0000");
  EXPECT_EQ(t.f.Label1211.Text(), "B");
  EXPECT_EQ(t.f.Label12212.Text(), "B");
  EXPECT_EQ(t.f.Edit1220.Text(), "15.00");
  EXPECT_EQ(t.f.Edit123.Text(), "00.40");
}

TEST_F(ParameterBlock, ChannelTwoOnlyForTheCombinedKind) {
  Word(0x05, 1111);
  Word(0x06, 22222);
  Word(0x07, 33);
  Word(0x08, 444);
  Show();
  EXPECT_EQ(t.f.Edit221.Text(), "0.0000");
  EXPECT_EQ(t.f.Edit2221.Text(), "0.0000");
  EXPECT_EQ(t.f.Edit2220.Text(), "0000");
  EXPECT_EQ(t.f.Edit223.Text(), "0000");

  poll().unit.gasKind = cat::kGasCombined;
  poll().unit.displayedKind = cat::kGasCH4;
  Show();
  EXPECT_EQ(t.f.Edit221.Text(), "0.1111");
  EXPECT_EQ(t.f.Edit2221.Text(), "2.2222");
  EXPECT_EQ(t.f.Edit2220.Text(), "0033");
  EXPECT_EQ(t.f.Edit223.Text(), "0444");
}

// The exchange corrects the block before showing it.
TEST_F(ParameterBlock, TemperatureThresholdIsCorrectedInTheBlock) {
  poll().param[1] = 200;
  t.exchange.ShowParameters();
  EXPECT_EQ(t.f.Edit321.Text(), "127");
  EXPECT_EQ(poll().param[1], 127);
  poll().param[1] = 25;
  t.exchange.ShowParameters();
  EXPECT_EQ(t.f.Edit321.Text(), "25");

  poll().unit.gasKind = cat::kGasCH4;  // no temperature channel: placeholder, block untouched
  poll().param[1] = 200;
  t.exchange.ShowParameters();
  EXPECT_EQ(t.f.Edit321.Text(), "00");
  EXPECT_EQ(poll().param[1], 200);
}

TEST_F(ParameterBlock, SupplySetpointIsTheKindsNominalValue) {
  struct Case {
    std::uint8_t displayedKind;
    const char* text;
    std::uint8_t low, high;
  };
  const Case cases[] = {{1, "2.50", 0xFA, 0x00},  {2, "2.50", 0xFA, 0x00}, {13, "4.50", 0xC2, 0x01},
                        {23, "3.30", 0x4A, 0x01}, {33, "5.00", 0xF4, 0x01}, {27, "0.00", 0, 0},
                        {0, "0.00", 0, 0}};
  for (const auto& c : cases) {
    poll().unit.displayedKind = c.displayedKind;
    poll().param[30] = 0xAA;
    poll().param[31] = 0xAA;
    t.exchange.ShowParameters();
    SCOPED_TRACE(int(c.displayedKind));
    EXPECT_EQ(t.f.Edit142.Text(), c.text);
    EXPECT_EQ(poll().param[30], c.low);
    EXPECT_EQ(poll().param[31], c.high);
  }
}

TEST_F(ParameterBlock, ValveVoltageShownWithinItsLimitsOnly) {
  const std::pair<std::uint16_t, const char*> cases[] = {
      {100, "05.00"}, {500, "05.00"}, {1200, "12.00"}, {3400, "34.00"}, {5000, "34.00"}};
  for (auto [word, text] : cases) {
    Word(0x09, word);
    Show();
    EXPECT_EQ(t.f.Edit3310.Text(), text) << word;
    EXPECT_EQ(param::Word(poll().param, 0x09), word) << "the block keeps the word";
  }
}

TEST_F(ParameterBlock, PeriodsAndBackupTime) {
  Word(0x0A, 300);
  Word(0x0C, 60);
  Word(0x0D, 5);
  Word(0x0E, 65535);
  Show();
  EXPECT_EQ(t.f.Edit351.Text(), "00300");
  EXPECT_EQ(t.f.Edit421.Text(), "00060");
  EXPECT_EQ(t.f.Edit422.Text(), "00005");
  EXPECT_EQ(t.f.Edit423.Text(), "65535");

  deviceType = cat::kTypeBase;  // no backup power on this variant
  Show();
  EXPECT_EQ(t.f.Edit351.Text(), "00000");
}

TEST_F(ParameterBlock, RecordPeriodAndItsBoxWhileTheDisplayUpdates) {
  std::vector<bool> seenDuringClick;
  t.f.CheckBox10210.OnClick = [&] { seenDuringClick.push_back(t.display.state.displayUpdate); };

  Word(0x0B, 0x312C);  // flag bits 12, 13 and a period of 300 s
  Show();
  EXPECT_EQ(t.f.Edit10210.Text(), "0300");
  EXPECT_FALSE(t.f.CheckBox10210.Checked());

  Word(0x0B, 0x3000);
  Show();
  EXPECT_EQ(t.f.Edit10210.Text(), "0000");
  EXPECT_TRUE(t.f.CheckBox10210.Checked());

  EXPECT_EQ(seenDuringClick, (std::vector<bool>{true, true}));
  EXPECT_FALSE(t.display.state.displayUpdate);
}

// Every field of the block is shown in a control of the window: an edit for a
// value, a check box for a one-bit flag or calibration mark.
TEST(ParameterTable, EveryFieldNamesAControlOfItsKind) {
  const TForm1 f;
  for (const param::Field* field : param::kFields) {
    const Control* c = f.Find(field->control);
    if (c == nullptr) {
      ADD_FAILURE() << field->name << ": no control " << field->control;
      continue;
    }
    const bool oneBit = std::has_single_bit(field->mask);
    EXPECT_EQ(c->GetKind(), oneBit ? Kind::CheckBox : Kind::Edit) << field->name << " in " << field->control;
    if (field->entry == param::Entry::Flag) {
      EXPECT_TRUE(oneBit) << field->name;
    }
  }
}

}  // namespace
}  // namespace zhv
