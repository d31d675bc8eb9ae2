// The editing lock and the status groups' own buttons.
#include <vector>

#include "fixture.h"

namespace zhv {
namespace {

class Lock : public test::ToolTest {
 protected:
  // A unit of this type and kind connected, then locked and unlocked again.
  void Unlocked(std::uint8_t deviceType, std::uint8_t gasKind) {
    Connect(deviceType, gasKind);
    t.commands.lock.Lock();
    t.commands.lock.Unlock();
  }
  Control& C(const char* name) {
    Control* c = t.f.Find(name);
    if (c == nullptr) {
      ADD_FAILURE() << "no control " << name;
      return t.f.Form1;
    }
    return *c;
  }
  bool On(const char* name) { return C(name).Enabled(); }
  bool Writable(const char* name) { return !C(name).ReadOnly(); }
};

TEST_F(Lock, LockDisables41ControlsMakes13EditsReadOnlyAndHidesThePassPhrases) {
  for (Control* c : t.f.All()) {
    c->SetEnabled(true);
    c->SetReadOnly(false);
    c->SetVisible(true);
  }
  t.f.TakeDirty();
  t.commands.lock.Lock();
  int disabled = 0, readOnly = 0, hidden = 0;
  for (Control* c : t.f.All()) {
    disabled += !c->Enabled();
    readOnly += c->ReadOnly();
    hidden += !c->Visible();
  }
  EXPECT_EQ(disabled, 41);
  EXPECT_EQ(readOnly, 13);
  EXPECT_EQ(hidden, 2);
  EXPECT_FALSE(t.f.Edit125.Visible());
  EXPECT_FALSE(t.f.Edit225.Visible());
  // The lock works through the tabs in order, sensor 1 first, INIT last.
  const auto changed = t.f.TakeDirty();
  ASSERT_EQ(changed.size(), 54u);
  EXPECT_STREQ(changed.front()->Name(), "Button121");
  EXPECT_STREQ(changed.back()->Name(), "Edit225");
  // Control buttons, counter reset, copy buttons, "Обновить" and the file buttons stay.
  for (const char* name : {"Button101", "Button502", "Button104", "Button2", "Button10222", "Button10223",
                           "Button10242", "Button10310", "Button10320", "Button10330"})
    EXPECT_TRUE(On(name)) << name;
}

TEST_F(Lock, UnlockEndsAPassPhraseEntry) {
  Connect(cat::kTypeStorage, cat::kGasCombined);
  t.f.Edit125.SetVisible(true);
  t.f.Edit125.SetEnabled(true);
  t.commands.lock.Lock();
  t.commands.lock.Unlock();
  EXPECT_TRUE(On("Button125"));
  EXPECT_FALSE(t.f.Edit125.Visible());
  EXPECT_FALSE(t.f.Edit125.Enabled());
  EXPECT_FALSE(t.f.Edit225.Visible());
}

TEST_F(Lock, BaseUnitWithNaturalGasKeepsTemperatureBackupVoiceAndCleanAirLocked) {
  Unlocked(cat::kTypeBase, cat::kGasCH4);
  for (const char* name : {"CheckBox320", "Button321", "Button324", "CheckBox350", "Button354", "Button351",
                           "CheckBox3501", "Label3502", "CheckBox360", "Button364", "CheckBox1211"})
    EXPECT_FALSE(On(name)) << name;
  EXPECT_FALSE(Writable("Edit321"));
  EXPECT_FALSE(Writable("Edit351"));
  for (const char* name : {"Button121", "Button123", "Button140", "Button224", "Button331", "Button424",
                           "Button10210", "Button1030", "Button10241"})
    EXPECT_TRUE(On(name)) << name;
  for (const char* name : {"Edit123", "Edit1220", "Edit142", "Edit3310", "Edit423", "Edit1024"})
    EXPECT_TRUE(Writable(name)) << name;
}

TEST_F(Lock, VoiceUnitWithCarbonDioxideUnlocksVoiceAndCleanAirButNotBackup) {
  Unlocked(cat::kTypeVoice, cat::kGasCO2);
  EXPECT_TRUE(On("CheckBox360"));
  EXPECT_TRUE(On("Button364"));
  EXPECT_TRUE(On("CheckBox1211"));
  EXPECT_TRUE(On("CheckBox320"));
  EXPECT_TRUE(Writable("Edit321"));
  EXPECT_FALSE(On("CheckBox350"));
  EXPECT_FALSE(Writable("Edit351"));
}

TEST_F(Lock, StorageUnitUnlocksBackupPowerOnly) {
  Unlocked(cat::kTypeStorage, cat::kGasCO2Optical);
  for (const char* name : {"CheckBox350", "Button354", "Button351", "CheckBox3501", "Label3502"})
    EXPECT_TRUE(On(name)) << name;
  EXPECT_TRUE(Writable("Edit351"));
  EXPECT_FALSE(On("CheckBox360"));
  EXPECT_FALSE(On("CheckBox1211"));  // optical CO2 has no clean-air option
}

// Unlocked only under USB control with no command waiting for its answer: the
// first status after a restart must not unlock over a write already posted.
TEST_F(Lock, DecisionFollowsTheUsbControlBitAndWaitsForAPendingCommand) {
  struct Case {
    std::uint8_t status0;
    Pending pending;
    bool unlocked;
  } cases[] = {{0x03, Pending::None, true},        {0x02, Pending::None, false},
               {0x03, Pending::WriteWord, false},  {0x03, Pending::SetSupply, false},
               {0x03, Pending::Storage, false},    {0x02, Pending::WriteWord, false}};
  Connect();
  for (const Case& c : cases) {
    poll().status0 = c.status0;
    poll().pending = c.pending;
    t.commands.lock.Apply();
    EXPECT_EQ(On("Button123"), c.unlocked) << int(c.status0) << " " << int(c.pending);
    EXPECT_EQ(Writable("Edit123"), c.unlocked) << int(c.status0) << " " << int(c.pending);
  }
}

TEST_F(Lock, ControlButtonsOfEveryTabPostUnitControlWithoutTouchingTheLock) {
  struct Case {
    const char* button;
    std::uint8_t argument;
  } cases[] = {{"Button101", cat::kArgRestart}, {"Button301", cat::kArgRestart}, {"Button202", cat::kArgUsbOn},
               {"Button502", cat::kArgUsbOn},   {"Button103", cat::kArgUsbOff},  {"Button403", cat::kArgUsbOff}};
  Unlocked(cat::kTypeStorage, cat::kGasCombined);
  for (const Case& c : cases) {
    t.commands.lock.SetControlButtons(true);
    poll().pending = Pending::WriteWord;  // a parameter write not yet taken up is overwritten
    C(c.button).Click();
    EXPECT_EQ(pending(), Pending::UnitControl) << c.button;
    EXPECT_EQ(poll().commandArg, c.argument) << c.button;
    for (const char* b : {"Button101", "Button202", "Button303", "Button401", "Button503"})
      EXPECT_FALSE(On(b)) << c.button << " left " << b;
    EXPECT_TRUE(On("Button123")) << c.button;
  }
}

TEST_F(Lock, CounterResetOnAnyTabClearsAllFive) {
  poll().packetCounter = 1234;
  const std::vector<const char*> counters{"Edit104", "Edit204", "Edit304", "Edit404", "Edit504"};
  for (const char* e : counters) C(e).SetText("01234");
  t.f.Button404.Click();
  EXPECT_EQ(poll().packetCounter, 0);
  for (const char* e : counters) EXPECT_EQ(C(e).Text(), "00000") << e;
}

}  // namespace
}  // namespace zhv
