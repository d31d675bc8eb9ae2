// Whole poll cycles, tick by tick, against the simulated unit in-process.
#include <algorithm>
#include <cstdlib>

#include "fixture.h"
#include "protocol/parameters.h"
#include "ui/status_groups.h"

namespace zhv::test {
namespace {

struct Cycle : SimTest {
  // The unit's port opened, nothing answered yet; USB control stays as the unit has it.
  void Begin(std::uint8_t type, std::uint8_t gas, sim::Faults faults = {}) {
    sim::Options o = UnitOptions(type, gas);
    o.faults = faults;
    Open(o);
  }
  int Requests(std::uint8_t command) const { return unit.RequestCount(command); }
  // Ticks while the machine is in one of these states, at most `limit` ticks.
  void TickWhileIn(std::initializer_list<State> states, int limit = 1000) {
    auto in = [&] { return std::find(states.begin(), states.end(), poll().state) != states.end(); };
    for (int i = 0; i < limit && in(); ++i) Tick();
    EXPECT_FALSE(in()) << "still waiting after " << limit << " ticks";
  }
  // The mode panels of the five status groups, where a silent unit is named.
  std::array<Control*, 5> ModePanels() { return EachGroup(t().f, &StatusGroup::mode); }
};

TEST_F(Cycle, StorageUnitWithTwoChannelsIsPolledAndShown) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Tick(3);
  EXPECT_EQ(t().f.Panel2.Text(), "Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 11h)");
  Seconds(3);
  EXPECT_TRUE(poll().firstPass);
  EXPECT_TRUE(t().f.TabSheet3.Visible());
  EXPECT_TRUE(t().f.TabSheet6.Visible());
  EXPECT_EQ(t().f.Label1051.Text(), "совмещенный CH4/CO");
  EXPECT_EQ(t().f.Label1071.Text(), "1.30");
  EXPECT_EQ(t().f.Label1073.Text(), "1234");
  EXPECT_EQ(t().f.Label1121.Text(), "CH4");
  EXPECT_EQ(t().f.Label2121.Text(), "CO");
  // A point per status answer so far, and no more.
  for (const SeriesControl* series : {&t().f.LineSeries110, &t().f.LineSeries220}) {
    EXPECT_GE(series->Points().size(), 3u) << series->Name();
    EXPECT_LE(series->Points().size(), static_cast<std::size_t>(Requests(cat::kReadStatus))) << series->Name();
  }
  EXPECT_NE(t().f.Edit10123.Text(), "2020");  // the unit's clock is shown
  EXPECT_GE(Requests(cat::kReadStatus), 3);
  EXPECT_GE(Requests(cat::kStorageStatus), 3);
  EXPECT_LE(std::abs(Requests(cat::kReadStatus) - Requests(cat::kStorageStatus)), 1);
  EXPECT_EQ(Requests(cat::kReadParams), 1);
}

TEST_F(Cycle, ConcentrationChartMovesWithTheUnitsReadings) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  const auto before = t().f.LineSeries110.Points();
  Seconds(10);
  const auto after = t().f.LineSeries110.Points();
  ASSERT_GT(after.size(), before.size() + 5);
  int changed = 0;
  for (std::size_t i = 1; i < after.size(); ++i) changed += after[i].y != after[i - 1].y;
  EXPECT_GT(changed, 5);
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i].y, before[i].y) << "still filling: nothing moved";
}

TEST_F(Cycle, BaseAndVoiceUnitsAreNeverAskedForStorageStatus) {
  for (std::uint8_t type : {cat::kTypeBase, cat::kTypeVoice}) {
    SCOPED_TRACE(static_cast<int>(type));
    Begin(type, cat::kGasCH4);
    Seconds(5);
    EXPECT_GE(Requests(cat::kReadStatus), 4);
    EXPECT_EQ(Requests(cat::kStorageStatus), 0);
    EXPECT_FALSE(t().f.TabSheet3.Visible());
    EXPECT_FALSE(t().f.TabSheet6.Visible());
  }
}

// A status answer that never comes, or comes a byte too long, is asked for
// again (after 20 ticks, or at once) and counts nothing until it is right.
TEST_F(Cycle, StatusIsAskedAgainUntilItsAnswerIsRight) {
  struct Fault {
    const char* name;
    void (*set)(sim::Faults&, bool on);
    double seconds;
    int atLeast;  // requests in that time
  };
  const Fault faults[] = {
      {"silent", [](sim::Faults& f, bool on) { on ? void(f.silent.insert(cat::kReadStatus)) : f.silent.clear(); }, 2, 8},
      {"wrong length",
       [](sim::Faults& f, bool on) { on ? void(f.wrongLength = cat::kReadStatus) : f.wrongLength.reset(); }, 1, 20},
  };
  Begin(cat::kTypeBase, cat::kGasCH4);
  Seconds(2);
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    fault.set(unit.faults(), true);
    const int before = Requests(cat::kReadStatus);
    const int counter = poll().packetCounter;
    Seconds(fault.seconds);
    EXPECT_GE(Requests(cat::kReadStatus) - before, fault.atLeast);
    EXPECT_EQ(poll().packetCounter, counter);
    fault.set(unit.faults(), false);
    Seconds(2);
    EXPECT_GT(poll().packetCounter, counter);
  }
}

// An answer that comes after its request was given up on stands ahead of every
// later answer; each wait would take the stale one first, and every request
// would go out twice from then on. The exchange drops it and catches up.
TEST_F(Cycle, ALateAnswerIsDroppedAndEachRequestGoesOutOnceAgain) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  unit.Feed(EncodeFrame(cat::kTypeStorage, cat::kReadStatus, Bytes{}));  // the late answer to an earlier status request
  Seconds(2);
  const int requests = Requests(cat::kReadStatus) + Requests(cat::kStorageStatus);
  const int counter = poll().packetCounter;
  Seconds(10);
  EXPECT_GE(poll().packetCounter - counter, 8);
  // Status and storage status alternate, one request each per poll.
  EXPECT_LE(Requests(cat::kReadStatus) + Requests(cat::kStorageStatus) - requests,
            2 * (poll().packetCounter - counter) + 1);
}

TEST_F(Cycle, SplitAnswersAreAssembledAcrossTicks) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  unit.faults().split = true;
  Seconds(3);
  EXPECT_TRUE(poll().firstPass);
  EXPECT_GE(poll().packetCounter, 4);
}

TEST_F(Cycle, BadCheckBytesAreNeverAccepted) {
  sim::Faults faults;
  faults.badCheck = true;
  Begin(cat::kTypeStorage, cat::kGasCombined, faults);
  Seconds(3);
  EXPECT_FALSE(t().identification.identified);
  ASSERT_FALSE(t().f.ListBox1.Items().empty());
  EXPECT_NE(t().f.ListBox1.Items().back().find("bad XOR"), std::string::npos);
}

TEST_F(Cycle, UsbOnUnlocksEditingAndUsbOffLocksIt) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  EXPECT_FALSE(t().f.Button123.Enabled());
  t().f.Button402.Click();  // "Вкл." on the interface module tab
  Seconds(1);
  EXPECT_TRUE(unit.UsbControl());
  EXPECT_TRUE(t().f.Button123.Enabled());
  EXPECT_FALSE(t().f.Edit123.ReadOnly());
  EXPECT_TRUE(t().f.Button351.Enabled());
  EXPECT_EQ(t().f.Panel101.Text(), "USB управление включено");
  t().f.Button103.Click();
  Seconds(1);
  EXPECT_FALSE(unit.UsbControl());
  EXPECT_FALSE(t().f.Button123.Enabled());
  EXPECT_EQ(poll().pending, Pending::None);
}

TEST_F(Cycle, UsbOnIsRepeatedWhileTheUnitRefuses) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  unit.faults().refuseUsbOn = true;
  t().f.Button102.Click();
  Seconds(1);
  const int asked = Requests(cat::kUnitControl);
  Seconds(1);
  EXPECT_GT(Requests(cat::kUnitControl), asked + 10);
  EXPECT_FALSE(t().f.Button102.Enabled());
  EXPECT_EQ(poll().pending, Pending::UnitControl);
  unit.faults().refuseUsbOn = false;
  Seconds(1);
  EXPECT_EQ(poll().pending, Pending::None);
  EXPECT_TRUE(t().f.Button102.Enabled());
}

TEST_F(Cycle, RestartRereadsTheUnitAndReconfiguresTheChannels) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  const int reads = Requests(cat::kReadParams);
  t().f.Button501.Click();
  Seconds(2);
  EXPECT_EQ(Requests(cat::kReadParams), reads + 1);
  EXPECT_TRUE(poll().firstPass);
  EXPECT_TRUE(t().f.Button501.Enabled());
}

TEST_F(Cycle, ParameterWriteReachesTheUnitAndComesBackInTheDisplay) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  poll().paramOffset = param::Offset(param::kPeriodNormal.word);  // interface module period "Норма"
  param::PutWord(poll().param, param::kPeriodNormal.word, 300);
  poll().pending = Pending::WriteWord;
  Seconds(1);
  EXPECT_EQ(unit.Words()[param::kPeriodNormal.word], 300);
  EXPECT_EQ(t().f.Edit421.Text(), "00300");
  EXPECT_EQ(poll().pending, Pending::None);
}

TEST_F(Cycle, CalibrationAndEepromVerdictsAreShown) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  unit.faults().calibrationError = 0x02;
  poll().commandArg = cat::kOpZero2;
  poll().pending = Pending::Calibrate;
  Seconds(1);
  EXPECT_EQ(t().f.Panel220.Text(), "Delta напряжения отрицательна или очень малая");
  EXPECT_EQ(t().f.Panel120.Text(), "");
  unit.faults().eepromFailure = true;
  poll().pending = Pending::RewriteEeprom;
  Seconds(1);
  EXPECT_EQ(t().f.Panel120.Text(), "Ошибка перезаписи EEPROM");
  EXPECT_EQ(t().f.Panel220.Text(), "Ошибка перезаписи EEPROM");
}

TEST_F(Cycle, ClosingWithACommandPendingSendsOnlyTheFarewell) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  poll().paramOffset = param::Offset(param::kPeriodNormal.word);
  poll().pending = Pending::WriteWord;
  const int writes = Requests(cat::kWriteWord);
  t().FormClose();
  EXPECT_EQ(Requests(cat::kWriteWord), writes);
  EXPECT_EQ(poll().state, State::Parked);
  EXPECT_FALSE(unit.UsbControl());
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(Cycle, UnplugMidSessionReturnsToThePortList) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  port.Unplug();
  t().PollTick();  // the tick after the loss ends the connection
  EXPECT_FALSE(t().f.Timer1.Enabled());
  EXPECT_EQ(t().f.Panel1.Text(), "Прибор отключён: проверьте кабель USB");
  EXPECT_FALSE(t().f.TabSheet2.Visible());
  EXPECT_FALSE(t().identification.exchanging);
}

TEST_F(Cycle, SilenceIsNamedAfterFiveSecondsAndWhatItCoveredComesBack) {
  Begin(cat::kTypeBase, cat::kGasCH4);
  Seconds(2);
  const std::string mode = t().f.Panel101.Text();
  t().f.Button101.Click();  // "ReStart ТКЭ": its answer writes no mode of its own
  unit.faults().silentAll = true;
  int ticks = 0;
  while (t().f.Panel101.Text() == mode && ticks < 1000) Tick(), ++ticks;
  // Five seconds after the last answer, which came at most one poll cycle before.
  EXPECT_GE(ticks, 400);
  EXPECT_LE(ticks, 500);
  for (Control* c : ModePanels()) {
    EXPECT_EQ(c->Text(), "Нет ответа от ТКЭ (5 с)") << c->Name();
    EXPECT_EQ(c->FontColour(), clr::Red);
  }
  const int asked = Requests(cat::kUnitControl);
  Seconds(3);
  EXPECT_GE(Requests(cat::kUnitControl), asked + 14) << "the restart keeps being asked for";
  EXPECT_EQ(t().f.Panel501.Text(), "Нет ответа от ТКЭ (8 с)");

  unit.faults().silentAll = false;
  TickWhileIn({State::UnitControl, State::AwaitRestart});
  for (Control* c : ModePanels()) {
    EXPECT_EQ(c->Text(), mode) << c->Name();
    EXPECT_EQ(c->FontColour(), clr::WindowText);
  }
}

TEST_F(Cycle, AUnitThatAnswersWithoutObeyingIsToldApartFromASilentOne) {
  Begin(cat::kTypeStorage, cat::kGasCombined);
  Seconds(2);
  unit.faults().refuseUsbOn = true;
  t().f.Button402.Click();  // "Вкл."
  Seconds(6);
  EXPECT_TRUE(t().f.Panel401.Text().starts_with("ТКЭ отвечает, но не выполняет команду (")) << t().f.Panel401.Text();
  unit.faults().refuseUsbOn = false;
  Seconds(1);
  EXPECT_EQ(t().f.Panel401.Text(), "USB управление включено");
  EXPECT_EQ(t().f.Panel401.FontColour(), clr::WindowText);
}

TEST_F(Cycle, ResetAndClosingStillEndASilentExchange) {
  Begin(cat::kTypeBase, cat::kGasCH4);
  Seconds(2);
  const std::string mode = t().f.Panel101.Text();
  unit.faults().silentAll = true;
  Seconds(7);
  ASSERT_NE(t().f.Panel101.Text(), mode);
  t().f.Button1.Click();  // "Сброс/Обновить список устройств"
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(t().f.Timer1.Enabled());
  EXPECT_EQ(t().f.Panel101.Text(), mode) << "no word is left for the next unit";

  Begin(cat::kTypeBase, cat::kGasCH4);
  Seconds(2);
  unit.faults().silentAll = true;
  Seconds(7);
  t().FormClose();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(poll().state, State::Parked);
}

}  // namespace
}  // namespace zhv::test
