// The exchange state machine tick by tick against a scripted fake port.
#include <gtest/gtest.h>

#include "app/tool.h"
#include "commands/lock.h"
#include "exchange/startup.h"
#include "platform/fakes.h"
#include "sim/frames.h"

namespace zhv {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Machine : ::testing::Test {
  fake::Services s;
  Tool t{s.platform()};
  std::uint8_t type = 0x11;

  Bytes Frame(std::uint8_t command, const Bytes& data) { return sim::EncodeFrame(type, command, data); }
  void Answer(std::uint8_t command, const Bytes& data) { s.port.Feed(Frame(command, data)); }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) Timer1Timer(t);
  }
  // The last request's command and data bytes.
  Bytes LastRequest() {
    const Bytes& w = s.port.writes.back();
    Bytes out(w.begin() + 3, w.end() - 1);
    out[0] = w[2];  // the command in place of the length
    return out;
  }
  std::size_t Sent() { return s.port.writes.size(); }

  static Bytes Identification(std::uint8_t status0, std::uint8_t gasKind) {
    return {status0, 0x21, 130, static_cast<std::uint8_t>(gasKind << 2), 0x34, 0x12};
  }
  static Bytes Status(std::uint8_t status0) {
    Bytes d(32, 0);
    d[0] = status0;
    d[8] = 1;     // channel 1: natural gas
    d[9] = 0x01;  // working
    d[18] = 23;   // channel 2: CO
    d[19] = 0x01;
    return d;
  }

  // Opens the port and answers the probe: the exchange starts on the next tick.
  void Identify() {
    s.ports.list = {{"USB Serial Port", "USB Serial Port (COM3)"}};
    FormCreate(t);
    t.f.ListView1.SetSelected(0);
    t.f.ListView1.DblClick();
    Answer(0x00, {});
    Tick();
    ASSERT_EQ(t.r.pollPhase, 1);
  }

  // Identifies the unit and runs the machine up to its first idle state.
  void Connect(std::uint8_t deviceType, std::uint8_t gasKind, std::uint8_t status0 = 0x03) {
    type = deviceType;
    Identify();
    Tick();  // state 0
    ASSERT_EQ(LastRequest(), (Bytes{0x10, 0x10}));
    Answer(0x10, Identification(status0, gasKind));
    Tick();  // state 1 accepts
    Tick();  // state 2
    ASSERT_EQ(LastRequest(), (Bytes{0x60}));
    Answer(0x60, Bytes(30, 0));
    Tick();  // state 3
    Tick();  // state 4
    ASSERT_EQ(LastRequest(), (Bytes{0x20}));
    Answer(0x20, Status(status0));
    Tick();  // state 5
    ASSERT_EQ(t.r.state, 6);
  }
};

TEST_F(Machine, UnansweredIdentificationIsRepeatedEveryTwentyTicks) {
  Identify();
  std::vector<int> at;
  for (int tick = 1; tick <= 64; ++tick) {
    std::size_t before = Sent();
    Tick();
    if (Sent() > before) {
      at.push_back(tick);
      EXPECT_EQ(LastRequest(), (Bytes{0x10, 0x10}));
    }
  }
  EXPECT_EQ(at, (std::vector<int>{1, 22, 43, 64}));
}

TEST_F(Machine, IdentificationOfWrongLengthFallsBackAtOnce) {
  Identify();
  Tick();
  Answer(0x10, {0x03, 0x21, 130, 27 << 2, 0x34});
  Tick();
  EXPECT_EQ(t.r.state, 0);
  const std::size_t sent = Sent();
  Tick();
  EXPECT_EQ(Sent(), sent + 1);
  EXPECT_EQ(LastRequest(), (Bytes{0x10, 0x10}));
}

TEST_F(Machine, IdentificationRevealsTheTabsOfTheUnit) {
  Connect(0x11, 27);
  EXPECT_TRUE(t.f.TabSheet2.Visible());
  EXPECT_TRUE(t.f.TabSheet3.Visible());
  EXPECT_TRUE(t.f.TabSheet4.Visible());
  EXPECT_TRUE(t.f.TabSheet5.Visible());
  EXPECT_TRUE(t.f.TabSheet6.Visible());
  EXPECT_EQ(t.f.PageControl1.ActivePage(), 1);
  EXPECT_EQ(t.r.gasKind, 27);
  EXPECT_EQ(t.r.displayedKind, 1);
  EXPECT_EQ(t.r.identValue, 130);
  EXPECT_EQ(t.r.packetCounter, 3);  // identification, parameters, status
}

TEST_F(Machine, SingleChannelBaseUnitShowsNeitherSensor2NorStorage) {
  Connect(0x10, 1);
  EXPECT_TRUE(t.f.TabSheet2.Visible());
  EXPECT_FALSE(t.f.TabSheet3.Visible());
  EXPECT_FALSE(t.f.TabSheet6.Visible());
}

TEST_F(Machine, FirstStatusEnablesTheControlButtonsAndAppliesTheLock) {
  Connect(0x11, 27, 0x03);
  EXPECT_TRUE(t.f.Button102.Enabled());
  EXPECT_TRUE(t.f.Button503.Enabled());
  EXPECT_TRUE(t.f.Button123.Enabled());  // under USB control
  EXPECT_EQ(t.r.firstPass, 1);
}

TEST_F(Machine, BaseUnitIsPolledForStatusAboutEveryHundredTicksAndNeverForStorage) {
  Connect(0x12, 1);
  std::vector<int> at;
  for (int tick = 1; tick <= 400; ++tick) {
    std::size_t before = Sent();
    Tick();
    if (Sent() > before) {
      at.push_back(tick);
      EXPECT_EQ(LastRequest(), (Bytes{0x20}));
      Answer(0x20, Status(0x03));
    }
  }
  ASSERT_EQ(at.size(), 3u);
  EXPECT_EQ(at[1] - at[0], 101);
  EXPECT_EQ(at[2] - at[1], 101);
}

TEST_F(Machine, StorageUnitIsAskedForItsStorageStatusHalfWay) {
  Connect(0x11, 27);
  std::vector<std::pair<int, std::uint8_t>> sent;
  for (int tick = 1; tick <= 250; ++tick) {
    std::size_t before = Sent();
    Tick();
    if (Sent() > before) {
      const std::uint8_t command = LastRequest()[0];
      sent.push_back({tick, command});
      Answer(command, Bytes(32, 0));
    }
  }
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(sent[0].second, 0x4C);
  EXPECT_EQ(sent[1].second, 0x20);
  EXPECT_EQ(sent[2].second, 0x4C);
  EXPECT_EQ(sent[3].second, 0x20);
  EXPECT_EQ(sent[1].first - sent[0].first, 51);
  EXPECT_EQ(sent[2].first - sent[1].first, 51);
}

TEST_F(Machine, SilentStatusFallsBackAfterTwentyTicks) {
  Connect(0x10, 1);
  Tick(100);  // state 6 counts on to the next status request
  ASSERT_EQ(t.r.state, 5);
  const std::size_t sent = Sent();
  Tick(19);
  EXPECT_EQ(t.r.state, 5);
  Tick();
  EXPECT_EQ(t.r.state, 4);
  Tick();
  EXPECT_EQ(Sent(), sent + 1);
  EXPECT_EQ(LastRequest(), (Bytes{0x20}));
}

TEST_F(Machine, WrongLengthStatusIsRequestedAgain) {
  Connect(0x10, 1);
  Tick(100);
  Answer(0x20, Bytes(31, 0));
  const int counter = t.r.packetCounter;
  Tick();
  EXPECT_EQ(t.r.state, 4);
  EXPECT_EQ(t.r.packetCounter, counter);
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{0x20}));
}

TEST_F(Machine, CommandPostedDuringAStatusWaitStartsAfterTheAnswer) {
  Connect(0x10, 1);
  Tick(100);
  ASSERT_EQ(t.r.state, 5);
  t.f.Button102.Click();  // "Вкл."
  Tick(3);
  EXPECT_EQ(LastRequest(), (Bytes{0x20}));  // nothing new while waiting
  Answer(0x20, Status(0x03));
  Tick();  // accepted
  Tick();  // state 6 takes the command
  EXPECT_EQ(t.r.state, 7);
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{0x10, 0x01}));
}

TEST_F(Machine, UsbOnIsRepeatedUntilTheUnitShowsIt) {
  Connect(0x11, 27, 0x02);
  EXPECT_FALSE(t.f.Button123.Enabled());
  t.f.Button102.Click();
  Tick(2);
  ASSERT_EQ(LastRequest(), (Bytes{0x10, 0x01}));
  for (int i = 0; i < 3; ++i) {
    Answer(0x10, Identification(0x02, 27));
    Tick();
    EXPECT_EQ(t.r.state, 7);
    Tick();
    EXPECT_EQ(LastRequest(), (Bytes{0x10, 0x01}));
  }
  Answer(0x10, Identification(0x03, 27));
  Tick();
  EXPECT_EQ(t.r.state, 2);
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_TRUE(t.f.Button123.Enabled());  // editing unlocked under USB control
  EXPECT_TRUE(t.f.Button102.Enabled());
  EXPECT_EQ(t.f.Panel101.Text(), "USB управление включено");
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{0x60}));
}

TEST_F(Machine, UsbOffLocksEditingAgain) {
  Connect(0x11, 27, 0x03);
  t.f.Button303.Click();
  Tick(2);
  ASSERT_EQ(LastRequest(), (Bytes{0x10, 0x00}));
  Answer(0x10, Identification(0x02, 27));
  Tick();
  EXPECT_EQ(t.r.state, 2);
  EXPECT_FALSE(t.f.Button123.Enabled());
  EXPECT_TRUE(t.f.Edit123.ReadOnly());
}

TEST_F(Machine, RestartRereadsEverythingAndReconfiguresTheChannels) {
  Connect(0x11, 27);
  t.f.Button201.Click();
  Tick(2);
  ASSERT_EQ(LastRequest(), (Bytes{0x10, 0x02}));
  Answer(0x10, Identification(0x00, 27));
  Tick();
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_EQ(t.r.firstPass, 0);
  EXPECT_EQ(t.r.state, 2);
  EXPECT_FALSE(t.f.Button101.Enabled());  // until the next status configures the channels
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{0x60}));
  Answer(0x60, Bytes(30, 0));
  Tick(2);
  Answer(0x20, Status(0x02));
  Tick();
  EXPECT_EQ(t.r.firstPass, 1);
  EXPECT_TRUE(t.f.Button101.Enabled());
}

TEST_F(Machine, UnknownUnitControlArgumentIsSentThenDropped) {
  Connect(0x10, 1);
  t.f.Button101.Click();
  t.r.commandArg = 5;
  Tick(2);
  EXPECT_EQ(LastRequest(), (Bytes{0x10, 0x05}));
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_EQ(t.r.state, 4);
  EXPECT_TRUE(t.f.Button101.Enabled());
}

TEST_F(Machine, ParameterWriteStoresTheWordTheUnitConfirms) {
  Connect(0x11, 27);
  t.r.paramOffset = 8;
  t.r.param[8] = 0x34;
  t.r.param[9] = 0x12;
  t.r.pending = 11;
  Tick(2);
  EXPECT_EQ(LastRequest(), (Bytes{0x90, 0x34, 0x12, 0x04}));
  Answer(0x90, {0x78, 0x56, 0x0C});  // the unit names word 0x0C
  Tick();
  EXPECT_EQ(t.r.paramOffset, 24);
  EXPECT_EQ(t.r.param[24], 0x78);
  EXPECT_EQ(t.r.param[25], 0x56);
  EXPECT_EQ(t.f.Edit421.Text(), "22136");
  EXPECT_EQ(t.r.state, 2);
  EXPECT_EQ(t.r.pending, 0);
}

TEST_F(Machine, WriteAnswerNamingAWordOutsideTheBlockIsAskedAgain) {
  Connect(0x11, 27);
  const auto before = t.r.param;
  t.r.paramOffset = 8;
  t.r.pending = 11;
  Tick(2);
  const std::size_t sent = Sent();
  Answer(0x90, {0xAA, 0xBB, 0x40});
  Tick();
  EXPECT_EQ(t.r.state, 11);
  EXPECT_EQ(t.r.param, before);
  EXPECT_EQ(t.r.paramOffset, 8);
  Tick();
  EXPECT_EQ(Sent(), sent + 1);
  EXPECT_EQ(LastRequest()[0], 0x90);
}

TEST_F(Machine, SetpointIsAnsweredWith0x40AndShownInEdit142) {
  Connect(0x11, 27);
  t.r.param[30] = 0xF4;
  t.r.param[31] = 0x01;
  t.r.pending = 13;
  Tick(2);
  EXPECT_EQ(LastRequest(), (Bytes{0x34, 0xF4, 0x01}));
  Answer(0x34, {0xF4, 0x01});  // not the answer this request gets
  Tick();
  EXPECT_EQ(t.r.state, 13);
  Tick();
  Answer(0x40, {0xF4, 0x01, 0x00});
  Tick();
  EXPECT_EQ(t.r.paramValue, 500);
  EXPECT_EQ(t.f.Edit142.Text(), "5.00");
  EXPECT_EQ(t.r.state, 2);
}

TEST_F(Machine, CalibrationErrorShowsItsTextAndKeepsTheBlock) {
  Connect(0x11, 27);
  const std::uint8_t before = t.r.param[0];
  t.r.commandArg = 0x00;
  t.r.pending = 15;
  Tick(2);
  EXPECT_EQ(LastRequest(), (Bytes{0x30, 0x00}));
  Answer(0x30, {0x00, 0x13, 0x11, 0x22});
  Tick();
  EXPECT_EQ(t.f.Panel120.Text(), "Cенсор отключен");
  EXPECT_EQ(t.r.param[0], before);
  EXPECT_EQ(t.r.param[2], 0);
  // The verdict stays in view while the block is read again.
  Tick();
  Answer(0x60, Bytes(30, 0));
  Tick();
  EXPECT_EQ(t.f.Panel120.Text(), "Cенсор отключен");
}

TEST_F(Machine, CalibrationErrorTextsInOrderOfPrecedence) {
  const std::pair<std::uint8_t, const char*> cases[] = {
      {0x01, "Напряжение на сенсоре вышло за допустимые границы"},
      {0x03, "Напряжение на сенсоре вышло за допустимые границы"},
      {0x02, "Delta напряжения отрицательна или очень малая"},
      {0x40, "Неизвестная ошибка отстрела"},
  };
  Connect(0x11, 27);
  for (const auto& [flags, text] : cases) {
    t.r.commandArg = 0x11;
    t.r.pending = 15;
    while (t.r.state != 16) Tick();
    Answer(0x30, {0x11, flags, 0, 0});
    Tick();
    EXPECT_EQ(t.f.Panel220.Text(), text);
    Answer(0x60, Bytes(30, 0));
    Tick(3);
    Answer(0x20, Status(0x03));
    Tick(2);
  }
}

TEST_F(Machine, SuccessfulCalibrationsUpdateTheirWordsAndFlags) {
  Connect(0x11, 27);
  t.r.param[0] = 0x0F;
  t.r.commandArg = 0x10;
  t.r.pending = 15;
  Tick(2);
  t.f.Panel120.SetText("old");
  Answer(0x30, {0x10, 0x00, 0x39, 0x05});
  Tick();
  EXPECT_EQ(t.r.param[0], 0x0D);
  EXPECT_EQ(t.r.param[4], 0x39);
  EXPECT_EQ(t.r.param[5], 0x05);
  EXPECT_EQ(t.f.Panel120.Text(), "");
  EXPECT_EQ(t.f.Edit1221.Text(), "0.1337");
}

TEST_F(Machine, InitOfChannel2SetsItsCalibrationBitsOnly) {
  Connect(0x11, 27);
  t.r.param[0] = 0x00;
  t.r.param[10] = 0x11;
  t.r.param[12] = 0x22;
  t.r.commandArg = 0xF1;
  t.r.pending = 15;
  Tick(2);
  EXPECT_EQ(LastRequest(), (Bytes{0x30, 0xF1}));
  Answer(0x30, {0xF1, 0x00, 0x99, 0x99});
  Tick();
  EXPECT_EQ(t.r.param[0], 0x0C);
  EXPECT_EQ(t.r.param[10], 0x11);
  EXPECT_EQ(t.r.param[12], 0x22);
}

TEST_F(Machine, EepromFailureIsShownOnBothSensorTabs) {
  Connect(0x11, 27);
  t.r.pending = 17;
  Tick(2);
  EXPECT_EQ(LastRequest(), (Bytes{0xA0}));
  Answer(0xA0, {0x01});
  Tick();
  EXPECT_EQ(t.f.Panel120.Text(), "Ошибка перезаписи EEPROM");
  EXPECT_EQ(t.f.Panel220.Text(), "Ошибка перезаписи EEPROM");
  EXPECT_EQ(t.r.state, 2);
  Tick();
  Answer(0x60, Bytes(30, 0));
  Tick(2);
  Answer(0x20, Status(0x03));
  Tick(2);
  t.r.pending = 17;
  while (t.r.state != 18) Tick();
  Answer(0xA0, {0x00});
  Tick();
  EXPECT_EQ(t.f.Panel120.Text(), "");
  EXPECT_EQ(t.f.Panel220.Text(), "");
}

TEST_F(Machine, UsbOnPressedDuringAParameterWriteIsDropped) {
  Connect(0x11, 27);
  t.r.paramOffset = 28;
  t.r.pending = 11;
  Tick(2);
  ASSERT_EQ(t.r.state, 12);
  t.f.Button102.Click();
  EXPECT_FALSE(t.f.Button102.Enabled());
  Answer(0x90, {0x10, 0x00, 0x0E});
  Tick();
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_TRUE(t.f.Button102.Enabled());
  for (int i = 0; i < 150; ++i) {
    Tick();
    EXPECT_NE(LastRequest(), (Bytes{0x10, 0x01}));
  }
}

TEST_F(Machine, ClosingWhileACommandIsPendingParksInsteadOfSending) {
  Connect(0x11, 27);
  t.r.paramOffset = 8;
  t.r.pending = 11;
  int ticks = 0;
  s.pump.onPump = [&] {
    ++ticks;
    Tick();
  };
  FormClose(t);
  EXPECT_EQ(ticks, 200);
  EXPECT_EQ(t.r.state, 33);
  for (const Bytes& w : s.port.writes) EXPECT_NE(w[2], 0x90);
  EXPECT_EQ(s.port.writes.back(), Frame(0x10, {0x00}));
  EXPECT_FALSE(s.port.open);
}

TEST_F(Machine, StatesOutsideTheTableDoNothing) {
  Connect(0x11, 27);
  const std::size_t sent = Sent();
  t.r.state = 99;
  Tick(30);
  t.r.state = -1;
  Tick(30);
  EXPECT_EQ(Sent(), sent);
}

}  // namespace
}  // namespace zhv
