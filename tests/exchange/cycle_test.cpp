// Whole poll cycles, tick by tick, against the simulated unit in-process.
#include <gtest/gtest.h>

#include "app/tool.h"
#include "commands/lock.h"
#include "exchange/startup.h"
#include "platform/fakes.h"
#include "sim/frames.h"
#include "sim/port.h"
#include "ui/status_groups.h"

namespace zhv {
namespace {

struct Cycle : ::testing::Test {
  sim::Unit unit;
  sim::SimPort port{unit};
  fake::Services s;
  std::unique_ptr<Tool> tool;

  Tool& t() { return *tool; }
  void Start(std::uint8_t type, std::uint8_t gas, sim::Faults faults = {}) {
    sim::Options o;
    o.deviceType = type;
    o.gasKind = gas;
    o.warmUpMs = 0;
    o.faults = faults;
    port.Close();
    unit = sim::Unit(o);
    s.ports.list = {{"Simulated unit", "Simulated unit (SIM1)"}};
    tool = std::make_unique<Tool>(s.platform(port));
    s.pump.onPump = [this] { Tick(); };
    FormCreate(t());
    t().f.ListView1.SetSelected(0);
    t().f.ListView1.DblClick();
    ASSERT_EQ(t().r.portOpen, 1);
  }
  // One tick of Timer1: the unit's time moves on by the tick's length.
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) {
      if (!t().f.Timer1.Enabled()) return;
      port.Step(static_cast<std::uint32_t>(t().f.Timer1.Interval()));
      t().f.Timer1.OnTimer();
    }
  }
  void Seconds(double s) { Tick(static_cast<int>(s * 100)); }
  int Requests(std::uint8_t command) { return unit.RequestCount(command); }
};

TEST_F(Cycle, StorageUnitWithTwoChannelsIsPolledAndShown) {
  Start(0x11, 27);
  Tick(3);
  EXPECT_EQ(t().f.Panel2.Text(), "Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 11h)");
  Seconds(3);
  EXPECT_EQ(t().r.firstPass, 1);
  EXPECT_TRUE(t().f.TabSheet3.Visible());
  EXPECT_TRUE(t().f.TabSheet6.Visible());
  EXPECT_EQ(t().f.Label1051.Text(), "совмещенный CH4/CO");
  EXPECT_EQ(t().f.Label1071.Text(), "1.30");
  EXPECT_EQ(t().f.Label1073.Text(), "1234");
  EXPECT_EQ(t().f.Label1121.Text(), "CH4");
  EXPECT_EQ(t().f.Label2121.Text(), "CO");
  EXPECT_EQ(t().f.LineSeries110.Points().size(), 100u);
  EXPECT_EQ(t().f.LineSeries220.Points().size(), 100u);
  EXPECT_NE(t().f.Edit10123.Text(), "2020");  // the unit's clock is shown
  EXPECT_GE(Requests(0x20), 3);
  EXPECT_GE(Requests(0x4C), 3);
  EXPECT_LE(std::abs(Requests(0x20) - Requests(0x4C)), 1);
  EXPECT_EQ(Requests(0x60), 1);
}

TEST_F(Cycle, ConcentrationChartMovesWithTheUnitsReadings) {
  Start(0x11, 27);
  Seconds(2);
  const auto before = t().f.LineSeries110.Points();
  Seconds(10);
  const auto after = t().f.LineSeries110.Points();
  ASSERT_EQ(after.size(), 100u);
  int changed = 0;
  for (std::size_t i = 0; i < after.size(); ++i) changed += after[i].y != before[i].y;
  EXPECT_GT(changed, 5);
}

TEST_F(Cycle, BaseAndVoiceUnitsAreNeverAskedForStorageStatus) {
  for (std::uint8_t type : {0x10, 0x12}) {
    Start(type, 1);
    Seconds(5);
    EXPECT_GE(Requests(0x20), 4) << int(type);
    EXPECT_EQ(Requests(0x4C), 0) << int(type);
    EXPECT_FALSE(t().f.TabSheet3.Visible());
    EXPECT_FALSE(t().f.TabSheet6.Visible());
  }
}

TEST_F(Cycle, SilentStatusIsAskedAgainEveryTwentyTicks) {
  Start(0x10, 1);
  Seconds(2);
  unit.faults().silent.insert(0x20);
  const int before = Requests(0x20);
  const int counter = t().r.packetCounter;
  Seconds(2);
  EXPECT_GE(Requests(0x20) - before, 8);  // one every 21 ticks
  EXPECT_EQ(t().r.packetCounter, counter);
  unit.faults().silent.clear();
  Seconds(2);
  EXPECT_GT(t().r.packetCounter, counter);
}

TEST_F(Cycle, WrongLengthAnswersAreRequestedAgainUntilTheyAreRight) {
  Start(0x10, 1);
  Seconds(2);
  unit.faults().wrongLength = 0x20;
  const int counter = t().r.packetCounter;
  const int before = Requests(0x20);
  Seconds(1);
  EXPECT_EQ(t().r.packetCounter, counter);
  EXPECT_GE(Requests(0x20) - before, 20);  // asked again on the next tick each time
  unit.faults().wrongLength.reset();
  Seconds(2);
  EXPECT_GT(t().r.packetCounter, counter);
}

// An answer that comes after its request was given up on stands ahead of every
// later answer; each wait would take the stale one first, and every request
// would go out twice from then on. The exchange drops it and catches up.
TEST_F(Cycle, ALateAnswerIsDroppedAndEachRequestGoesOutOnceAgain) {
  Start(0x11, 27);
  Seconds(2);
  unit.Feed(sim::EncodeFrame(0x11, 0x20, {}));  // the late answer to an earlier status request
  Seconds(2);
  const int requests = Requests(0x20) + Requests(0x4C);
  const int counter = t().r.packetCounter;
  Seconds(10);
  EXPECT_GE(t().r.packetCounter - counter, 8);
  // Status and storage status alternate, one request each per poll.
  EXPECT_LE(Requests(0x20) + Requests(0x4C) - requests, 2 * (t().r.packetCounter - counter) + 1);
}

TEST_F(Cycle, SplitAnswersAreAssembledAcrossTicks) {
  Start(0x11, 27);
  unit.faults().split = true;
  Seconds(3);
  EXPECT_EQ(t().r.firstPass, 1);
  EXPECT_GE(t().r.packetCounter, 4);
}

TEST_F(Cycle, BadCheckBytesAreNeverAccepted) {
  sim::Faults faults;
  faults.badCheck = true;
  Start(0x11, 27, faults);
  Seconds(3);
  EXPECT_EQ(t().r.identified, 0);
  EXPECT_NE(t().f.ListBox1.Items().back().find("bad XOR"), std::string::npos);
}

TEST_F(Cycle, UsbOnUnlocksEditingAndUsbOffLocksIt) {
  Start(0x11, 27);
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
  EXPECT_EQ(t().r.pending, 0);
}

TEST_F(Cycle, UsbOnIsRepeatedWhileTheUnitRefuses) {
  Start(0x11, 27);
  Seconds(2);
  unit.faults().refuseUsbOn = true;
  t().f.Button102.Click();
  Seconds(1);
  const int asked = unit.RequestCount(0x10);
  Seconds(1);
  EXPECT_GT(unit.RequestCount(0x10), asked + 10);
  EXPECT_FALSE(t().f.Button102.Enabled());
  EXPECT_EQ(t().r.pending, 7);
  unit.faults().refuseUsbOn = false;
  Seconds(1);
  EXPECT_EQ(t().r.pending, 0);
  EXPECT_TRUE(t().f.Button102.Enabled());
}

TEST_F(Cycle, RestartRereadsTheUnitAndReconfiguresTheChannels) {
  Start(0x11, 27);
  Seconds(2);
  const int reads = Requests(0x60);
  t().f.Button501.Click();
  Seconds(2);
  EXPECT_EQ(Requests(0x60), reads + 1);
  EXPECT_EQ(t().r.firstPass, 1);
  EXPECT_TRUE(t().f.Button501.Enabled());
}

TEST_F(Cycle, ParameterWriteReachesTheUnitAndComesBackInTheDisplay) {
  Start(0x11, 27);
  Seconds(2);
  t().r.paramOffset = 24;  // word 0x0C, interface module period "Норма"
  t().r.param[24] = 0x2C;
  t().r.param[25] = 0x01;
  t().r.pending = 11;
  Seconds(1);
  EXPECT_EQ(unit.Words()[0x0C], 300);
  EXPECT_EQ(t().f.Edit421.Text(), "00300");
  EXPECT_EQ(t().r.pending, 0);
}

TEST_F(Cycle, CalibrationAndEepromVerdictsAreShown) {
  Start(0x11, 27);
  Seconds(2);
  unit.faults().calibrationError = 0x02;
  t().r.commandArg = 0x01;
  t().r.pending = 15;
  Seconds(1);
  EXPECT_EQ(t().f.Panel220.Text(), "Delta напряжения отрицательна или очень малая");
  EXPECT_EQ(t().f.Panel120.Text(), "");
  unit.faults().eepromFailure = true;
  t().r.pending = 17;
  Seconds(1);
  EXPECT_EQ(t().f.Panel120.Text(), "Ошибка перезаписи EEPROM");
  EXPECT_EQ(t().f.Panel220.Text(), "Ошибка перезаписи EEPROM");
}

TEST_F(Cycle, ClosingWithACommandPendingSendsOnlyTheFarewell) {
  Start(0x11, 27);
  Seconds(2);
  t().r.paramOffset = 24;
  t().r.pending = 11;
  const int writes = Requests(0x90);
  FormClose(t());
  EXPECT_EQ(Requests(0x90), writes);
  EXPECT_EQ(t().r.state, 33);
  EXPECT_FALSE(unit.UsbControl());
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(Cycle, UnplugMidSessionReturnsToThePortList) {
  Start(0x11, 27);
  Seconds(2);
  port.Unplug();
  t().f.Timer1.OnTimer();  // the tick after the loss ends the connection
  EXPECT_FALSE(t().f.Timer1.Enabled());
  EXPECT_EQ(t().f.Panel1.Text(), "Ошибка доступа к порт SIM1");
  EXPECT_FALSE(t().f.TabSheet2.Visible());
  EXPECT_EQ(t().r.pollPhase, 0);
}

// The mode panels of the five status groups, where a silent unit is named.
std::array<Control*, 5> ModePanels(Tool& t) { return EachGroup(t.f, &StatusGroup::mode); }

TEST_F(Cycle, SilenceIsNamedAfterFiveSecondsAndWhatItCoveredComesBack) {
  Start(0x10, 1);
  Seconds(2);
  const std::string mode = t().f.Panel101.Text();
  t().f.Button101.Click();  // "ReStart ТКЭ": its answer writes no mode of its own
  unit.faults().silentAll = true;
  int ticks = 0;
  while (t().f.Panel101.Text() == mode && ticks < 1000) Tick(), ++ticks;
  // Five seconds after the last answer, which came at most one poll cycle before.
  EXPECT_GE(ticks, 400);
  EXPECT_LE(ticks, 500);
  for (Control* c : ModePanels(t())) {
    EXPECT_EQ(c->Text(), "Нет ответа от ТКЭ (5 с)") << c->Name();
    EXPECT_EQ(c->FontColour(), clr::Red);
  }
  const int asked = Requests(0x10);
  Seconds(3);
  EXPECT_GE(Requests(0x10), asked + 14) << "the restart keeps being asked for";
  EXPECT_EQ(t().f.Panel501.Text(), "Нет ответа от ТКЭ (8 с)");

  unit.faults().silentAll = false;
  while (t().r.state == 7 || t().r.state == 8) Tick();
  for (Control* c : ModePanels(t())) {
    EXPECT_EQ(c->Text(), mode) << c->Name();
    EXPECT_EQ(c->FontColour(), clr::WindowText);
  }
}

TEST_F(Cycle, AUnitThatAnswersWithoutObeyingIsToldApartFromASilentOne) {
  Start(0x11, 27);
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
  Start(0x10, 1);
  Seconds(2);
  const std::string mode = t().f.Panel101.Text();
  unit.faults().silentAll = true;
  Seconds(7);
  ASSERT_NE(t().f.Panel101.Text(), mode);
  t().f.Button1.Click();  // "Сброс/Обновить список устройств"
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(t().f.Timer1.Enabled());
  EXPECT_EQ(t().f.Panel101.Text(), mode) << "no word is left for the next unit";

  Start(0x10, 1);
  Seconds(2);
  unit.faults().silentAll = true;
  Seconds(7);
  FormClose(t());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(t().r.state, 33);
}

}  // namespace
}  // namespace zhv
