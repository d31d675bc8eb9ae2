// The exchange state machine tick by tick against a scripted fake port. How
// every wait falls back is walked in descriptor_walk_test.cpp.
#include <algorithm>

#include "fixture.h"
#include "protocol/parameters.h"

namespace zhv::test {
namespace {

struct Machine : ToolTest {
  // Back to idle with nothing pending, answering the re-read and the polls.
  void Settle() {
    for (int i = 0; i < 300 && !(state() == State::Idle && pending() == Pending::None); ++i) {
      const std::size_t before = Sent();
      Tick();
      if (Sent() == before) continue;
      switch (LastRequest().front()) {
        case cat::kReadParams: Answer(cat::kReadParams, Block()); break;
        case cat::kReadStatus: Answer(cat::kReadStatus, StatusData(0x03)); break;
        case cat::kStorageStatus: Answer(cat::kStorageStatus, StorageStatusData(kReferenceYear)); break;
        default: break;
      }
    }
    ASSERT_EQ(state(), State::Idle);
    ASSERT_EQ(pending(), Pending::None);
  }
  // The parameter answer that holds the block as the tool has it.
  Bytes Block() const { return Bytes(poll().param.begin(), poll().param.begin() + cat::kParamsAnswerLen); }
  const PollState& poll() const { return t.exchange.poll; }
  using ToolTest::poll;
  // Posts a command and ticks until its request is out.
  void Post(Pending p, std::uint8_t argument = 0) {
    poll().commandArg = argument;
    poll().pending = p;
    ASSERT_TRUE(TickUntilSent());
  }
  // The ticks on which requests went out over `ticks` ticks, each answered.
  std::vector<std::pair<int, std::uint8_t>> Polls(int ticks) {
    std::vector<std::pair<int, std::uint8_t>> sent;
    for (int tick = 1; tick <= ticks; ++tick) {
      if (!TickUntilSent(1)) continue;
      const std::uint8_t command = LastRequest().front();
      sent.push_back({tick, command});
      Answer(command, command == cat::kStorageStatus ? StorageStatusData(kReferenceYear) : StatusData(0x03));
    }
    return sent;
  }
  int Writes(std::uint8_t command) const {
    return static_cast<int>(std::count_if(s.port.writes.begin(), s.port.writes.end(),
                                          [&](const Bytes& w) { return w.size() > 2 && w[2] == command; }));
  }
};

TEST_F(Machine, UnansweredIdentificationIsRepeatedEveryTwentyTicks) {
  Identify(cat::kTypeStorage);
  std::vector<int> at;
  for (int tick = 1; tick <= 64; ++tick) {
    if (!TickUntilSent(1)) continue;
    at.push_back(tick);
    EXPECT_EQ(LastRequest(), (Bytes{cat::kUnitControl, cat::kArgIdentify}));
  }
  EXPECT_EQ(at, (std::vector<int>{1, 22, 43, 64}));
}

TEST_F(Machine, IdentificationRevealsTheTabsOfTheUnit) {
  struct Unit {
    std::uint8_t type, gas;
    bool sensor2, storage;
  };
  for (const Unit u : {Unit{cat::kTypeStorage, cat::kGasCombined, true, true}, Unit{cat::kTypeBase, cat::kGasCH4, false, false}}) {
    SCOPED_TRACE(static_cast<int>(u.type));
    t.f.Button1.Click();
    const int counter = poll().packetCounter;
    ASSERT_NO_FATAL_FAILURE(Connect(u.type, u.gas));
    EXPECT_TRUE(t.f.TabSheet2.Visible());
    EXPECT_EQ(t.f.TabSheet3.Visible(), u.sensor2);
    EXPECT_TRUE(t.f.TabSheet4.Visible());
    EXPECT_TRUE(t.f.TabSheet5.Visible());
    EXPECT_EQ(t.f.TabSheet6.Visible(), u.storage);
    EXPECT_EQ(t.f.PageControl1.ActivePage(), 1);
    EXPECT_EQ(poll().unit.gasKind, u.gas);
    EXPECT_EQ(poll().unit.displayedKind, cat::kGasCH4);
    EXPECT_EQ(poll().unit.version, 130);
    EXPECT_EQ(poll().packetCounter - counter, 3);  // identification, parameters, status
  }
}

TEST_F(Machine, FirstStatusEnablesTheControlButtonsAndAppliesTheLock) {
  Connect(cat::kTypeStorage, cat::kGasCombined, 0x03);
  EXPECT_TRUE(t.f.Button102.Enabled());
  EXPECT_TRUE(t.f.Button503.Enabled());
  EXPECT_TRUE(t.f.Button123.Enabled());  // under USB control
  EXPECT_TRUE(poll().firstPass);
}

TEST_F(Machine, UnitWithoutStorageIsPolledForStatusEveryHundredTicksAndNeverForStorage) {
  Connect(cat::kTypeVoice, cat::kGasCH4);
  const auto sent = Polls(400);
  ASSERT_EQ(sent.size(), 3u);
  for (const auto& [tick, command] : sent) EXPECT_EQ(command, cat::kReadStatus) << tick;
  EXPECT_EQ(sent[1].first - sent[0].first, 101);
  EXPECT_EQ(sent[2].first - sent[1].first, 101);
}

TEST_F(Machine, StorageUnitIsAskedForItsStorageStatusHalfWay) {
  Connect();
  const auto sent = Polls(250);
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(sent[0].second, cat::kStorageStatus);
  EXPECT_EQ(sent[1].second, cat::kReadStatus);
  EXPECT_EQ(sent[2].second, cat::kStorageStatus);
  EXPECT_EQ(sent[3].second, cat::kReadStatus);
  EXPECT_EQ(sent[1].first - sent[0].first, 51);
  EXPECT_EQ(sent[2].first - sent[1].first, 51);
}

TEST_F(Machine, CommandPostedDuringAStatusWaitStartsAfterTheAnswer) {
  Connect(cat::kTypeBase, cat::kGasCH4);
  Tick(100);
  ASSERT_EQ(state(), State::AwaitStatus);
  t.f.Button102.Click();  // "Вкл."
  Tick(3);
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadStatus}));  // nothing new while waiting
  Answer(cat::kReadStatus, StatusData(0x03));
  Tick();  // accepted
  Tick();  // idle takes the command
  EXPECT_EQ(state(), State::UnitControl);
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{cat::kUnitControl, cat::kArgUsbOn}));
}

TEST_F(Machine, UsbOnIsRepeatedUntilTheUnitShowsIt) {
  Connect(cat::kTypeStorage, cat::kGasCombined, 0x02);
  EXPECT_FALSE(t.f.Button123.Enabled());
  t.f.Button102.Click();
  Tick(2);
  ASSERT_EQ(LastRequest(), (Bytes{cat::kUnitControl, cat::kArgUsbOn}));
  for (int i = 0; i < 3; ++i) {
    Answer(cat::kUnitControl, IdentificationData(0x02, cat::kGasCombined));
    Tick();
    EXPECT_EQ(state(), State::UnitControl);
    Tick();
    EXPECT_EQ(LastRequest(), (Bytes{cat::kUnitControl, cat::kArgUsbOn}));
  }
  Answer(cat::kUnitControl, IdentificationData(0x03, cat::kGasCombined));
  Tick();
  EXPECT_EQ(state(), State::ReadParams);
  EXPECT_EQ(pending(), Pending::None);
  EXPECT_TRUE(t.f.Button123.Enabled());  // editing unlocked under USB control
  EXPECT_TRUE(t.f.Button102.Enabled());
  EXPECT_EQ(t.f.Panel101.Text(), "USB управление включено");
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadParams}));
}

TEST_F(Machine, UsbOffLocksEditingAgain) {
  Connect(cat::kTypeStorage, cat::kGasCombined, 0x03);
  t.f.Button303.Click();
  Tick(2);
  ASSERT_EQ(LastRequest(), (Bytes{cat::kUnitControl, cat::kArgUsbOff}));
  Answer(cat::kUnitControl, IdentificationData(0x02, cat::kGasCombined));
  Tick();
  EXPECT_EQ(state(), State::ReadParams);
  EXPECT_FALSE(t.f.Button123.Enabled());
  EXPECT_TRUE(t.f.Edit123.ReadOnly());
}

TEST_F(Machine, RestartRereadsEverythingAndReconfiguresTheChannels) {
  Connect();
  t.f.Button201.Click();
  Tick(2);
  ASSERT_EQ(LastRequest(), (Bytes{cat::kUnitControl, cat::kArgRestart}));
  Answer(cat::kUnitControl, IdentificationData(0x00, cat::kGasCombined));
  Tick();
  EXPECT_EQ(pending(), Pending::None);
  EXPECT_FALSE(poll().firstPass);
  EXPECT_EQ(state(), State::ReadParams);
  EXPECT_FALSE(t.f.Button101.Enabled());  // until the next status configures the channels
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadParams}));
  Answer(cat::kReadParams, Bytes(cat::kParamsAnswerLen, 0));
  Tick(2);
  Answer(cat::kReadStatus, StatusData(0x02));
  Tick();
  EXPECT_TRUE(poll().firstPass);
  EXPECT_TRUE(t.f.Button101.Enabled());
}

TEST_F(Machine, UnknownUnitControlArgumentIsSentThenDropped) {
  Connect(cat::kTypeBase, cat::kGasCH4);
  t.f.Button101.Click();
  poll().commandArg = 5;
  Tick(2);
  EXPECT_EQ(LastRequest(), (Bytes{cat::kUnitControl, 5}));
  EXPECT_EQ(pending(), Pending::None);
  EXPECT_EQ(state(), State::StatusIdle);
  EXPECT_TRUE(t.f.Button101.Enabled());
}

TEST_F(Machine, ParameterWriteStoresTheWordTheUnitConfirms) {
  Connect();
  poll().paramOffset = param::Offset(param::kThreshold1.word);
  param::PutWord(poll().param, param::kThreshold1.word, 0x1234);
  Post(Pending::WriteWord);
  EXPECT_EQ(LastRequest(), (Bytes{cat::kWriteWord, 0x34, 0x12, param::kThreshold1.word}));
  Answer(cat::kWriteWord, {0x78, 0x56, param::kPeriodNormal.word});  // the unit names another word
  Tick();
  EXPECT_EQ(poll().paramOffset, param::Offset(param::kPeriodNormal.word));
  EXPECT_EQ(param::Word(poll().param, param::kPeriodNormal.word), 0x5678);
  EXPECT_EQ(t.f.Edit421.Text(), "22136");
  EXPECT_EQ(state(), State::ReadParams);
  EXPECT_EQ(pending(), Pending::None);
}

TEST_F(Machine, WriteAnswerNamingAWordOutsideTheBlockIsAskedAgain) {
  Connect();
  const param::Block before = poll().param;
  poll().paramOffset = param::Offset(param::kThreshold1.word);
  Post(Pending::WriteWord);
  const Bytes request = LastRequest();
  const std::size_t sent = Sent();
  Answer(cat::kWriteWord, {0xAA, 0xBB, 0x40});
  Tick();
  EXPECT_EQ(state(), State::WriteWord);
  EXPECT_EQ(poll().param, before);
  EXPECT_EQ(poll().paramOffset, param::Offset(param::kThreshold1.word));
  Tick();
  EXPECT_EQ(Sent(), sent + 1);
  EXPECT_EQ(LastRequest(), request);
}

TEST_F(Machine, SetpointIsAnsweredWithItsOwnCommandAndShownInEdit142) {
  Connect();
  param::PutWord(poll().param, param::kSetpointWord, 500);
  Post(Pending::SetSupply);
  EXPECT_EQ(LastRequest(), (Bytes{cat::kSetSupply, 0xF4, 0x01}));
  Answer(cat::kSetSupply, {0xF4, 0x01});  // not the answer this request gets
  Tick();
  EXPECT_EQ(state(), State::SetSupply);
  Tick();
  Answer(cat::kSupplyAnswer, {0x2C, 0x01, 0x00});  // the unit keeps 3.00
  Tick();
  EXPECT_EQ(param::Word(poll().param, param::kSetpointWord), 300);
  EXPECT_EQ(t.f.Edit142.Text(), "3.00");
  EXPECT_EQ(state(), State::ReadParams);
}

// A calibration answer: its verdict on its channel's panel, and on success its
// value stored and its channel's "not done" marks set as the operation says.
TEST_F(Machine, CalibrationAnswerShowsItsVerdictAndStoresOnlyWhatSucceeded) {
  struct Case {
    std::uint8_t op, errorFlags;
    std::uint8_t marksBefore, marksAfter;  // the low byte of word 0
    const param::Field* word;              // the value stored, if any
    const char* shown;                     // ... as its edit shows it
    const char* verdict;
  };
  const char* kVoltage = "Напряжение на сенсоре вышло за допустимые границы";
  const Case cases[] = {
      {cat::kOpZero1, 0x13, 0x0F, 0x0F, nullptr, nullptr, "Cенсор отключен"},
      {cat::kOpSpan2, 0x01, 0x0F, 0x0F, nullptr, nullptr, kVoltage},
      {cat::kOpSpan2, 0x03, 0x0F, 0x0F, nullptr, nullptr, kVoltage},
      {cat::kOpSpan2, 0x02, 0x0F, 0x0F, nullptr, nullptr, "Delta напряжения отрицательна или очень малая"},
      {cat::kOpSpan2, 0x40, 0x0F, 0x0F, nullptr, nullptr, "Неизвестная ошибка отстрела"},
      {cat::kOpSpan1, 0x00, 0x0F, 0x0D, &param::kSpanVoltage1, "0.1337", ""},
      {cat::kOpInit2, 0x00, 0x00, 0x0C, nullptr, nullptr, ""},
  };
  Connect();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "operation " << int(c.op) << ", flags " << int(c.errorFlags));
    for (std::size_t i = 0; i < cat::kParamsAnswerLen; ++i) poll().param[i] = static_cast<std::uint8_t>(i + 1);
    poll().param[0] = c.marksBefore;
    param::Block expected = poll().param;
    expected[0] = c.marksAfter;
    if (c.word) param::PutWord(expected, c.word->word, 0x0539);
    Control& panel = (c.op & 0x0F) == 0 ? t.f.Panel120 : t.f.Panel220;
    panel.SetText("old");
    Post(Pending::Calibrate, c.op);
    ASSERT_EQ(LastRequest(), (Bytes{cat::kCalibrate, c.op}));
    Answer(cat::kCalibrate, {c.op, c.errorFlags, 0x39, 0x05});
    Tick();
    EXPECT_EQ(panel.Text(), c.verdict);
    EXPECT_EQ(poll().param, expected);
    if (c.shown) {
      const Control* edit = t.f.Find(c.word->control);
      ASSERT_NE(edit, nullptr);
      EXPECT_EQ(edit->Text(), c.shown);
    }
    // The verdict stays in view while the block is read again.
    ASSERT_NO_FATAL_FAILURE(Settle());
    EXPECT_EQ(panel.Text(), c.verdict);
  }
}

TEST_F(Machine, EepromFailureIsShownOnBothSensorTabs) {
  Connect();
  for (const bool failed : {true, false}) {
    Post(Pending::RewriteEeprom);
    EXPECT_EQ(LastRequest(), (Bytes{cat::kRewriteEeprom}));
    Answer(cat::kRewriteEeprom, {static_cast<std::uint8_t>(failed)});
    Tick();
    const char* text = failed ? "Ошибка перезаписи EEPROM" : "";
    EXPECT_EQ(t.f.Panel120.Text(), text);
    EXPECT_EQ(t.f.Panel220.Text(), text);
    EXPECT_EQ(state(), State::ReadParams);
    ASSERT_NO_FATAL_FAILURE(Settle());
  }
}

TEST_F(Machine, UsbOnPressedDuringAParameterWriteIsDropped) {
  Connect();
  poll().paramOffset = param::Offset(param::kPeriodGas.word);
  Post(Pending::WriteWord);
  ASSERT_EQ(state(), State::AwaitWord);
  t.f.Button102.Click();
  EXPECT_FALSE(t.f.Button102.Enabled());
  Answer(cat::kWriteWord, {0x10, 0x00, param::kPeriodGas.word});
  Tick();
  EXPECT_EQ(pending(), Pending::None);
  EXPECT_TRUE(t.f.Button102.Enabled());
  const int before = Writes(cat::kUnitControl);
  Tick(150);
  EXPECT_EQ(Writes(cat::kUnitControl), before);
}

TEST_F(Machine, ClosingWhileACommandIsPendingParksInsteadOfSending) {
  Connect();
  poll().paramOffset = param::Offset(param::kThreshold1.word);
  poll().pending = Pending::WriteWord;
  int ticks = 0;
  s.pump.onPump = [&] {
    ++ticks;
    Tick();
  };
  t.FormClose();
  EXPECT_EQ(ticks, 200);
  EXPECT_EQ(state(), State::Parked);
  EXPECT_EQ(Writes(cat::kWriteWord), 0);
  ASSERT_FALSE(s.port.writes.empty());
  EXPECT_EQ(s.port.writes.back(), EncodeFrame(type, cat::kUnitControl, Bytes{cat::kArgUsbOff}));
  EXPECT_FALSE(s.port.open);
}

}  // namespace
}  // namespace zhv::test
