// Start-up, identification, the tick and the orderly shut-down, against a fake port.
#include <gtest/gtest.h>

#include "app/tool.h"
#include "exchange/startup.h"
#include "platform/fakes.h"
#include "sim/frames.h"

namespace zhv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Frame(std::uint8_t type, std::uint8_t command, Bytes data = {}) {
  return sim::EncodeFrame(type, command, data);
}

struct Startup : ::testing::Test {
  fake::Services s;
  Tool t{s.platform()};

  void SetUp() override {
    s.ports.list = {{"USB Serial Port", "USB Serial Port (COM5)"}};
    FormCreate(t);
    t.f.ListView1.SetSelected(0);
    t.f.ListView1.DblClick();
    ASSERT_EQ(t.r.portOpen, 1);
  }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) t.f.Timer1.OnTimer();
  }
  std::size_t Sent() { return s.port.writes.size(); }
};

TEST_F(Startup, StartsInTheNoDeviceStateWithOnlyTheFirstTab) {
  fake::Services fresh;
  Tool u{fresh.platform()};
  FormCreate(u);
  EXPECT_EQ(u.f.PageControl1.ActivePage(), 0);
  for (Control* tab : {&u.f.TabSheet2, &u.f.TabSheet3, &u.f.TabSheet4, &u.f.TabSheet5, &u.f.TabSheet6})
    EXPECT_FALSE(tab->Visible()) << tab->Name();
  EXPECT_EQ(u.f.Panel1.Text(), "Нет активных устройств");
  EXPECT_EQ(u.f.Panel2.Text(), "");
  EXPECT_FALSE(u.f.Timer1.Enabled());
  EXPECT_FALSE(u.f.Button102.Enabled());
  EXPECT_FALSE(u.f.Button123.Enabled());  // editing locked
}

TEST_F(Startup, ProbeIsRepeatedAfterTenTicksThenEveryTwenty) {
  std::vector<int> probes;
  for (int tick = 1; tick <= 70; ++tick) {
    std::size_t before = Sent();
    Tick();
    if (Sent() > before) probes.push_back(tick);
  }
  EXPECT_EQ(probes, (std::vector<int>{10, 30, 50, 70}));
  for (const Bytes& w : s.port.writes) EXPECT_EQ(w, (Bytes{0x0D, 0x00, 0x00, 0x00, 0x0D}));
  EXPECT_EQ(t.f.Panel2.Text(), "   Поиск прибора ...");
}

struct Product {
  std::uint8_t code;
  const char* caption;
  TColor colour;
};

TEST_F(Startup, EveryDeviceTypeCodeIsNamedInPanel2) {
  const Product table[] = {
      {0x02, "Найден эмулятор ИК ЖОВ-11А (ID = 02h)", clr::Red},
      {0x03, "Найден эмулятор ИК ЖОВ-11А1 (ID = 03h)", clr::Red},
      {0x04, "Найдено устройство калибровки БД ЖОВ-11А1 (ID = 04h)", clr::Red},
      {0x05, "Найден Тестер А-интерфейса (ID = 05h)", clr::Red},
      {0x06, "Найден Тестер Velk/RS485 (ID = 06h)", clr::Red},
      {0x07, "Найдено устройство (ID = 07h)", clr::Red},
      {0x08, "Найден БПС ЖОВ-11А1 (ID = 08h)", clr::Red},
      {0x09, "Найден БПС ЖОВ-11А1 (ID = 09h)", clr::Red},
      {0x00, "Найдено устройство (ID = 00h)", clr::Red},
      {0x0F, "Найдено устройство (ID = 0Fh)", clr::Red},
      {0xFF, "Найдено устройство (ID = FFh)", clr::Red},
      {0x10, "Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 10h)", clr::Lime},
      {0x11, "Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 11h)", clr::Lime},
      {0x12, "Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 12h)", clr::Lime},
  };
  for (const Product& p : table) {
    t.r.frameReady = 0;
    t.r.identified = 0;
    t.r.pollPhase = 0;
    t.r.sendDeviceType = 0;
    s.port.Feed(Frame(p.code, 0x00));
    Tick();
    EXPECT_EQ(t.f.Panel2.Text(), p.caption);
    EXPECT_EQ(t.f.Panel2.Colour(), p.colour) << p.caption;
    const bool gas = p.code >= 0x10 && p.code <= 0x12;
    EXPECT_EQ(t.r.sendDeviceType, gas ? p.code : 0) << p.caption;
    EXPECT_EQ(t.r.pollPhase, gas ? 1 : 0) << p.caption;
    EXPECT_EQ(t.f.Timer1.Interval(), gas ? 10 : 100) << p.caption;
    t.f.Timer1.SetInterval(100);
  }
}

TEST_F(Startup, OtherProductsAreLeftAloneAfterIdentification) {
  s.port.Feed(Frame(0x07, 0x00));
  Tick();
  const std::size_t sent = Sent();
  Tick(200);
  EXPECT_EQ(Sent(), sent);
  EXPECT_EQ(t.r.pollPhase, 0);
}

TEST_F(Startup, FramesOtherThanTheProbeAnswerAreIgnored) {
  s.port.Feed(Frame(0x11, 0x00, {0x00}));
  Tick();
  EXPECT_EQ(t.r.identified, 0);
  EXPECT_EQ(t.r.frameReady, 0);
  s.port.Feed(Frame(0x11, 0x20));
  Tick();
  EXPECT_EQ(t.r.identified, 0);
  EXPECT_EQ(t.f.Panel2.Text(), "   Поиск прибора ...");
}

TEST_F(Startup, GasAlarmUnitSwitchesToTheExchangeWhichSpeaksOnTheNextTick) {
  s.port.Feed(Frame(0x12, 0x00));
  Tick();
  EXPECT_EQ(t.f.Timer1.Interval(), 10);
  EXPECT_EQ(t.r.pollPhase, 1);
  const std::size_t sent = Sent();
  Tick();
  ASSERT_EQ(Sent(), sent + 1);
  EXPECT_EQ(s.port.writes.back(), Frame(0x12, 0x10, {0x10}));
}

TEST_F(Startup, ClosingWithoutAPortSendsNothingAndDoesNotWait) {
  Button1Click(t);
  const std::size_t sent = Sent();
  FormClose(t);
  EXPECT_EQ(Sent(), sent);
  EXPECT_EQ(s.pump.calls, 0);
}

TEST_F(Startup, ClosingWhileIdentifyingSendsUsbOffAndWaitsTwoSeconds) {
  int ticks = 0;
  s.pump.onPump = [&] {
    ++ticks;
    Tick();
  };
  const std::size_t sent = Sent();
  FormClose(t);
  ASSERT_GT(Sent(), sent);
  EXPECT_EQ(s.port.writes[sent], (Bytes{0x0D, 0x00, 0x10, 0x01, 0x00, 0x1C}));
  EXPECT_EQ(ticks, 20);
  EXPECT_EQ(t.f.Panel2.Text(), "Закрытие программы !!!");
  EXPECT_EQ(t.f.PageControl1.ActivePage(), 0);
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_FALSE(s.port.open);
}

TEST_F(Startup, ClosingDuringTheExchangeWaitsTwoHundredTicks) {
  s.port.Feed(Frame(0x11, 0x00));
  Tick();
  int ticks = 0;
  s.pump.onPump = [&] {
    ++ticks;
    Tick();
  };
  FormClose(t);
  EXPECT_EQ(ticks, 200);
  EXPECT_FALSE(s.port.open);
  EXPECT_FALSE(t.f.Timer1.Enabled());
}

TEST_F(Startup, ClosingWaitEndsWhenThePortIsLost) {
  int ticks = 0;
  s.pump.onPump = [&] {
    if (++ticks == 3) s.port.lost();  // unplugged in the middle of the wait
    Tick();
  };
  FormClose(t);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(t.r.portOpen, 0);
}

TEST_F(Startup, ClosingWaitEndsWhenTheFarewellCannotBeWritten) {
  s.port.failWrite = true;
  s.pump.onPump = [&] { Tick(); };
  FormClose(t);
  EXPECT_EQ(s.pump.calls, 0);
  EXPECT_EQ(t.r.portOpen, 0);
  EXPECT_EQ(t.f.Panel1.Text(), "Ошибка доступа к порт COM5");
}

TEST_F(Startup, FailedWriteOfARequestReturnsToTheNoDeviceStateWithThePortError) {
  s.port.Feed(Frame(0x11, 0x00));
  Tick(3);  // identified: the exchange sends from now on
  ASSERT_EQ(t.r.pollPhase, 1);
  t.f.TabSheet2.SetVisible(true);
  s.port.failWrite = true;
  Tick(25);  // the identification request goes unanswered and is sent again
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_EQ(t.r.portOpen, 0);
  EXPECT_FALSE(s.port.open);
  EXPECT_FALSE(t.f.TabSheet2.Visible());
  EXPECT_EQ(t.f.Panel1.Text(), "Ошибка доступа к порт COM5");
  EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
}

TEST_F(Startup, UnplugReturnsToTheNoDeviceStateAtTheNextTick) {
  s.port.Feed(Frame(0x11, 0x00));
  Tick(3);
  s.port.lost();
  EXPECT_EQ(t.r.portOpen, 1) << "not from inside the port's report";
  Tick();
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_EQ(t.r.portOpen, 0);
  EXPECT_FALSE(s.port.open);
  EXPECT_EQ(t.r.pollPhase, 0);
  EXPECT_EQ(t.f.Panel1.Text(), "Ошибка доступа к порт COM5");
  EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
  EXPECT_EQ(t.f.Panel2.Text(), "");
  // A late report of the same loss changes nothing.
  t.f.Panel1.SetText("x");
  s.port.lost();
  Tick();
  EXPECT_EQ(t.f.Panel1.Text(), "x");
}

TEST_F(Startup, ResetButtonEndsTheExchangeAndALaterOpenIdentifiesAfresh) {
  s.port.Feed(Frame(0x11, 0x00));
  Tick(5);
  t.r.pending = 11;  // a command the lost unit never took
  Button1Click(t);
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_FALSE(s.port.open);
  EXPECT_FALSE(t.f.TabSheet2.Visible());
  EXPECT_EQ(t.f.ListView1.Rows().size(), 1u);
  EXPECT_EQ(t.f.ListView1.Rows()[0].sub[1], "Доступен");
  EXPECT_EQ(t.r.pending, 0);
  t.f.ListView1.SetSelected(0);
  t.f.ListView1.DblClick();
  EXPECT_EQ(s.port.writes.back(), (Bytes{0x0D, 0x00, 0x00, 0x00, 0x0D}));
  EXPECT_EQ(t.r.pollPhase, 0);
  EXPECT_EQ(t.f.Timer1.Interval(), 100);
}

TEST_F(Startup, ReadOutTraceSettingFollowsCheckBox1) {
  EXPECT_TRUE(t.f.CheckBox1.Checked());
  t.f.CheckBox1.Click();
  EXPECT_EQ(t.r.readOutTraceSetting, 0);
  t.f.CheckBox1.Click();
  EXPECT_EQ(t.r.readOutTraceSetting, 1);
}

}  // namespace
}  // namespace zhv
