#include "tool_fixture.h"

namespace zhv {
namespace {

class ParameterBlock : public DecoderTest {
 protected:
  void SetUp() override {
    t.r.gasKind = 13;
    t.r.displayedKind = 13;
    t.r.rxDeviceType = 0x11;
  }
};

// A click handler as the editors will have it: an echo is swallowed, any
// other click would post a write.
struct EchoAwareHandler {
  void Attach(Control& box, std::uint8_t& echo) {
    box.OnClick = [this, &echo] {
      if (echo) {
        echo = 0;
        ++swallowed;
      } else {
        ++posted;
      }
    };
  }
  int swallowed = 0;
  int posted = 0;
};

TEST_F(ParameterBlock, ChangedBoxesRaiseTheirEchoSoNoWriteIsPosted) {
  EchoAwareHandler h;
  h.Attach(t.f.CheckBox320, t.r.echoTemperature);
  h.Attach(t.f.CheckBox350, t.r.echoBackupPower);
  h.Attach(t.f.CheckBox3501, t.r.echoValve);
  h.Attach(t.f.CheckBox360, t.r.echoVoice);
  h.Attach(t.f.CheckBox1211, t.r.echoCleanAir);

  // Every function switched off: all five boxes (checked as designed) flip.
  t.r.param[0] = 0x10 | 0x20 | 0x80;
  ParamWord(0x0B, 0x3000);
  ShowParameterBlock(t);
  EXPECT_EQ(h.swallowed, 5);
  EXPECT_EQ(h.posted, 0);
  for (Control* c : {&t.f.CheckBox320, &t.f.CheckBox350, &t.f.CheckBox3501, &t.f.CheckBox360,
                     &t.f.CheckBox1211})
    EXPECT_FALSE(c->Checked()) << c->Name();

  // The same block again changes no box: no click, no echo left standing.
  ShowParameterBlock(t);
  EXPECT_EQ(h.swallowed, 5);
  EXPECT_EQ(h.posted, 0);
  EXPECT_EQ(t.r.echoTemperature + t.r.echoBackupPower + t.r.echoValve + t.r.echoVoice +
                t.r.echoCleanAir,
            0);
}

TEST_F(ParameterBlock, EchoFlagRaisedOnlyForABoxThatChanges) {
  // Without the editors' handlers a raised flag stays visible.
  for (Control* c : {&t.f.CheckBox320, &t.f.CheckBox350, &t.f.CheckBox3501, &t.f.CheckBox360,
                     &t.f.CheckBox1211})
    c->OnClick = nullptr;
  t.r.param[0] = 0x10;  // temperature control off, everything else on
  ShowParameterBlock(t);
  EXPECT_EQ(t.r.echoTemperature, 1);
  EXPECT_EQ(t.r.echoBackupPower, 0);
  EXPECT_EQ(t.r.echoValve, 0);
  EXPECT_EQ(t.r.echoCleanAir, 0);
  // Device type 0x11 has no voice function: that box flips too.
  EXPECT_EQ(t.r.echoVoice, 1);
}

TEST_F(ParameterBlock, TemperatureControlMirroredInTheStatusGroups) {
  t.r.param[0] = 0x10;
  ShowParameterBlock(t);
  for (Control* c : {&t.f.CheckBox320, &t.f.CheckBox101, &t.f.CheckBox201, &t.f.CheckBox301,
                     &t.f.CheckBox401, &t.f.CheckBox501})
    EXPECT_FALSE(c->Checked()) << c->Name();
  t.r.param[0] = 0;
  ShowParameterBlock(t);
  for (Control* c : {&t.f.CheckBox320, &t.f.CheckBox101, &t.f.CheckBox501}) EXPECT_TRUE(c->Checked()) << c->Name();
  // Natural and liquefied gas units have no temperature control.
  t.r.gasKind = 2;
  ShowParameterBlock(t);
  EXPECT_FALSE(t.f.CheckBox320.Checked());
  EXPECT_FALSE(t.f.CheckBox301.Checked());
}

TEST_F(ParameterBlock, BoxesThatDependOnTheVariantAndKind) {
  struct Case {
    std::uint8_t type, kind, flags;
    int word0B;
    bool backup, valve, voice, cleanAir;
  };
  const Case cases[] = {
      {0x11, 13, 0x00, 0x0000, true, true, false, true},
      {0x11, 33, 0x80, 0x1000, false, true, false, false},
      {0x11, 1, 0x00, 0x2000, true, false, false, false},
      {0x10, 13, 0x00, 0x0000, false, false, false, true},
      {0x12, 23, 0x00, 0x0000, false, false, true, false},
      {0x12, 23, 0x20, 0x0000, false, false, false, false},
  };
  for (const auto& c : cases) {
    t.r.rxDeviceType = c.type;
    t.r.gasKind = c.kind;
    t.r.param[0] = c.flags;
    ParamWord(0x0B, c.word0B);
    ShowParameterBlock(t);
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " kind " << int(c.kind));
    EXPECT_EQ(t.f.CheckBox350.Checked(), c.backup);
    EXPECT_EQ(t.f.CheckBox3501.Checked(), c.valve);
    EXPECT_EQ(t.f.CheckBox360.Checked(), c.voice);
    EXPECT_EQ(t.f.CheckBox1211.Checked(), c.cleanAir);
  }
}

TEST_F(ParameterBlock, CalibrationMarksLeaveTheVerdictPanelsAlone) {
  t.f.Panel120.SetText("Ошибка перезаписи EEPROM");
  t.f.Panel220.SetText("Ошибка перезаписи EEPROM");
  t.r.param[0] = 0x05;  // zero calibration of both channels not done
  ShowParameterBlock(t);
  EXPECT_FALSE(t.f.CheckBox121.Checked());
  EXPECT_TRUE(t.f.CheckBox122.Checked());
  EXPECT_FALSE(t.f.CheckBox221.Checked());
  EXPECT_TRUE(t.f.CheckBox222.Checked());
  EXPECT_EQ(t.f.Panel120.Text(), "Ошибка перезаписи EEPROM");
  EXPECT_EQ(t.f.Panel220.Text(), "Ошибка перезаписи EEPROM");
}

TEST_F(ParameterBlock, ChannelOneVoltagesAndConcentrations) {
  ParamWord(0x01, 1234);
  ParamWord(0x02, 20000);
  ParamWord(0x03, 1500);
  ParamWord(0x04, 40);
  ShowParameterBlock(t);  // optical CO2: raw signal, no unit
  EXPECT_EQ(t.f.Edit121.Text(), "01234");
  EXPECT_EQ(t.f.Edit1221.Text(), "20000");
  EXPECT_EQ(t.f.Label1211.Text(), "");
  EXPECT_EQ(t.f.Label12212.Text(), "");
  EXPECT_EQ(t.f.Edit1220.Text(), "1.500");
  EXPECT_EQ(t.f.Edit123.Text(), "0.040");
  EXPECT_EQ(t.r.paramScale, 1000);

  t.r.gasKind = 27;  // combined unit: channel 1 shown as natural gas
  t.r.displayedKind = 1;
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit121.Text(), "0.1234");
  EXPECT_EQ(t.f.Edit1221.Text(), "2.0000");
  EXPECT_EQ(t.f.Label1211.Text(), "B");
  EXPECT_EQ(t.f.Label12212.Text(), "B");
  EXPECT_EQ(t.f.Edit1220.Text(), "15.00");
  EXPECT_EQ(t.f.Edit123.Text(), "00.40");
  EXPECT_EQ(t.r.paramScale, 100);
}

TEST_F(ParameterBlock, ChannelTwoOnlyForTheCombinedKind) {
  ParamWord(0x05, 1111);
  ParamWord(0x06, 22222);
  ParamWord(0x07, 33);
  ParamWord(0x08, 444);
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit221.Text(), "0.0000");
  EXPECT_EQ(t.f.Edit2221.Text(), "0.0000");
  EXPECT_EQ(t.f.Edit2220.Text(), "0000");
  EXPECT_EQ(t.f.Edit223.Text(), "0000");

  t.r.gasKind = 27;
  t.r.displayedKind = 1;
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit221.Text(), "0.1111");
  EXPECT_EQ(t.f.Edit2221.Text(), "2.2222");
  EXPECT_EQ(t.f.Edit2220.Text(), "0033");
  EXPECT_EQ(t.f.Edit223.Text(), "0444");
}

TEST_F(ParameterBlock, TemperatureThresholdIsCorrectedInTheBlock) {
  t.r.param[1] = 200;
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit321.Text(), "127");
  EXPECT_EQ(t.r.param[1], 127);
  t.r.param[1] = 25;
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit321.Text(), "25");

  t.r.gasKind = 1;  // no temperature channel: placeholder, block untouched
  t.r.param[1] = 200;
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit321.Text(), "00");
  EXPECT_EQ(t.r.param[1], 200);
}

TEST_F(ParameterBlock, ValveVoltageShownWithinItsLimitsOnly) {
  const std::pair<int, const char*> cases[] = {
      {100, "05.00"}, {500, "05.00"}, {1200, "12.00"}, {3400, "34.00"}, {5000, "34.00"}};
  for (auto [word, text] : cases) {
    ParamWord(0x09, word);
    ShowParameterBlock(t);
    EXPECT_EQ(t.f.Edit3310.Text(), text) << word;
    EXPECT_EQ(t.r.param[18] + 256 * t.r.param[19], word) << "the block keeps the word";
  }
}

TEST_F(ParameterBlock, PeriodsAndBackupTime) {
  ParamWord(0x0A, 300);
  ParamWord(0x0C, 60);
  ParamWord(0x0D, 5);
  ParamWord(0x0E, 65535);
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit351.Text(), "00300");
  EXPECT_EQ(t.f.Edit421.Text(), "00060");
  EXPECT_EQ(t.f.Edit422.Text(), "00005");
  EXPECT_EQ(t.f.Edit423.Text(), "65535");

  t.r.rxDeviceType = 0x10;  // no backup power on this variant
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit351.Text(), "00000");
}

TEST_F(ParameterBlock, RecordPeriodAndItsBoxWhileTheDisplayUpdates) {
  std::vector<std::uint8_t> seenDuringClick;
  t.f.CheckBox10210.OnClick = [&] { seenDuringClick.push_back(t.r.displayUpdate); };

  ParamWord(0x0B, 0x312C);  // flag bits 12, 13 and a period of 300 s
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit10210.Text(), "0300");
  EXPECT_FALSE(t.f.CheckBox10210.Checked());

  ParamWord(0x0B, 0x3000);
  ShowParameterBlock(t);
  EXPECT_EQ(t.f.Edit10210.Text(), "0000");
  EXPECT_TRUE(t.f.CheckBox10210.Checked());

  EXPECT_EQ(seenDuringClick, (std::vector<std::uint8_t>{1, 1}));
  EXPECT_EQ(t.r.displayUpdate, 0);
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
    t.r.displayedKind = c.displayedKind;
    t.r.param[30] = 0xAA;
    t.r.param[31] = 0xAA;
    ShowParameterBlock(t);
    SCOPED_TRACE(int(c.displayedKind));
    EXPECT_EQ(t.f.Edit142.Text(), c.text);
    EXPECT_EQ(t.r.param[30], c.low);
    EXPECT_EQ(t.r.param[31], c.high);
  }
}

}  // namespace
}  // namespace zhv
