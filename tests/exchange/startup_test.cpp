// Start-up, identification, the tick and the orderly shut-down, against a fake port.
#include "fixture.h"

namespace zhv::test {
namespace {

// The port is open and the first probe is on the wire.
struct Startup : ToolTest {
  void SetUp() override {
    OpenPort();
    ASSERT_TRUE(t.link.IsOpen());
  }
  void AnswerProbe(std::uint8_t deviceType) {
    type = deviceType;
    Answer(cat::kProbe, {});
  }
  // Counts the closing wait's ticks, each one a poll tick.
  int ticks = 0;
  void TickWhileClosing() {
    s.pump.onPump = [this] {
      ++ticks;
      Tick();
    };
  }
  static Bytes Probe() { return {0x0D, 0x00, 0x00, 0x00, 0x0D}; }
  std::string PortError() const { return "Ошибка доступа к порт " + t.link.PortName(); }
  // Closing sends USB control off, then waits two seconds of ticks at the pace of the moment.
  void ExpectFarewellAndWait(int expectedTicks) {
    TickWhileClosing();
    const std::size_t sent = Sent();
    t.FormClose();
    ASSERT_GT(Sent(), sent);
    EXPECT_EQ(s.port.writes[sent], EncodeFrame(t.link.SendType(), cat::kUnitControl, Bytes{cat::kArgUsbOff}));
    EXPECT_EQ(ticks, expectedTicks);
    EXPECT_EQ(t.f.Panel2.Text(), "Закрытие программы !!!");
    EXPECT_EQ(t.f.PageControl1.ActivePage(), 0);
    EXPECT_FALSE(t.f.Timer1.Enabled());
    EXPECT_FALSE(s.port.open);
  }
};

using Window = ToolTest;

TEST_F(Window, StartsInTheNoDeviceStateWithOnlyTheFirstTab) {
  Tool& u = t;
  u.FormCreate();
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
  for (int tick = 1; tick <= 70; ++tick)
    if (TickUntilSent(1)) probes.push_back(tick);
  EXPECT_EQ(probes, (std::vector<int>{10, 30, 50, 70}));
  for (const Bytes& w : s.port.writes) EXPECT_EQ(w, Probe());
}

TEST_F(Startup, EveryDeviceTypeCodeIsNamedInPanel2) {
  struct Product {
    std::uint8_t code;
    const char* caption;
    TColor colour;
  };
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
    SCOPED_TRACE(p.caption);
    t.identification = {};
    t.link.SetSendType(cat::kTypeUnknown);
    AnswerProbe(p.code);
    Tick();
    EXPECT_EQ(t.f.Panel2.Text(), p.caption);
    EXPECT_EQ(t.f.Panel2.Colour(), p.colour);
    const bool gas = p.code >= cat::kTypeBase && p.code <= cat::kTypeVoice;
    EXPECT_EQ(t.link.SendType(), gas ? p.code : cat::kTypeUnknown);
    EXPECT_EQ(t.identification.exchanging, gas);
    EXPECT_EQ(t.f.Timer1.Interval(), gas ? 10 : 100);
    t.f.Timer1.SetInterval(100);
  }
}

TEST_F(Startup, OtherProductsAreLeftAloneAfterIdentification) {
  AnswerProbe(0x07);
  Tick();
  const std::size_t sent = Sent();
  Tick(200);
  EXPECT_EQ(Sent(), sent);
  EXPECT_FALSE(t.identification.exchanging);
}

TEST_F(Startup, FramesOtherThanTheProbeAnswerAreIgnored) {
  Answer(cat::kProbe, {0x00});
  Tick();
  EXPECT_FALSE(t.identification.identified);
  EXPECT_FALSE(t.link.FrameReady());
  Answer(cat::kReadStatus, {});
  Tick();
  EXPECT_FALSE(t.identification.identified);
  EXPECT_EQ(t.f.Panel2.Text(), "   Поиск прибора ...");
}

// Five seconds of 100 ms ticks without an answer to the probe are told in
// Panel2 while the probe goes on; an answer names the product as ever.
TEST_F(Startup, AProbeUnansweredForFiveSecondsIsToldWhileTheSearchGoesOn) {
  struct Case {
    int answerAt;  // the tick the probe is answered on; 0: never
    std::uint8_t type;
    const char* panel2;
    TColor colour;
  };
  const char* kNoAnswer = "Прибор не отвечает: проверьте питание ТКЭ и кабель USB";
  const Case cases[] = {
      {0, 0, kNoAnswer, clr::Red},
      {49, 0x07, "Найдено устройство (ID = 07h)", clr::Red},
      {52, cat::kTypeStorage, "Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 11h)", clr::Lime},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answerAt);
    t.f.Button1.Click();
    OpenPort();
    std::string at49, at50;
    std::size_t sentAt50 = 0;
    for (int tick = 1; tick <= 70 && !t.identification.exchanging; ++tick) {
      if (tick == c.answerAt) AnswerProbe(c.type);
      Tick();
      if (tick == 49) at49 = t.f.Panel2.Text();
      if (tick == 50) at50 = t.f.Panel2.Text(), sentAt50 = Sent();
    }
    EXPECT_EQ(at49, c.answerAt == 49 ? c.panel2 : "   Поиск прибора ...");
    EXPECT_EQ(at50, c.answerAt == 49 ? c.panel2 : kNoAnswer);
    EXPECT_EQ(t.f.Panel2.Text(), c.panel2);
    EXPECT_EQ(t.f.Panel2.Colour(), c.colour);
    if (c.answerAt == 0) {
      EXPECT_EQ(Sent(), sentAt50 + 1) << "the probe goes on";
    }
  }
}

TEST_F(Startup, GasAlarmUnitSwitchesToTheExchangeWhichSpeaksOnTheNextTick) {
  AnswerProbe(cat::kTypeVoice);
  Tick();
  EXPECT_EQ(t.f.Timer1.Interval(), 10);
  EXPECT_TRUE(t.identification.exchanging);
  const std::size_t sent = Sent();
  Tick();
  ASSERT_EQ(Sent(), sent + 1);
  EXPECT_EQ(s.port.writes.back(), EncodeFrame(cat::kTypeVoice, cat::kUnitControl, Bytes{cat::kArgIdentify}));
}

TEST_F(Startup, ClosingWithoutAPortSendsNothingAndDoesNotWait) {
  t.f.Button1.Click();
  const std::size_t sent = Sent();
  t.FormClose();
  EXPECT_EQ(Sent(), sent);
  EXPECT_EQ(s.pump.calls, 0);
}

TEST_F(Startup, ClosingWhileIdentifyingWaitsTwoSecondsOfSlowTicks) { ExpectFarewellAndWait(20); }

TEST_F(Startup, ClosingDuringTheExchangeWaitsTwoSecondsOfFastTicks) {
  AnswerProbe(cat::kTypeStorage);
  Tick();
  ASSERT_TRUE(t.identification.exchanging);
  ExpectFarewellAndWait(200);
}

TEST_F(Startup, ClosingWaitEndsWhenThePortIsLost) {
  ASSERT_TRUE(static_cast<bool>(s.port.lost));
  s.pump.onPump = [&] {
    if (++ticks == 3) s.port.lost();  // unplugged in the middle of the wait
    Tick();
  };
  t.FormClose();
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(t.link.IsOpen());
}

TEST_F(Startup, ClosingWaitEndsWhenTheFarewellCannotBeWritten) {
  s.port.failWrite = true;
  TickWhileClosing();
  t.FormClose();
  EXPECT_EQ(s.pump.calls, 0);
  EXPECT_FALSE(t.link.IsOpen());
  EXPECT_EQ(t.f.Panel1.Text(), PortError());
}

TEST_F(Startup, FailedWriteOfARequestReturnsToTheNoDeviceStateWithThePortError) {
  AnswerProbe(cat::kTypeStorage);
  Tick(3);  // identified: the exchange sends from now on
  ASSERT_TRUE(t.identification.exchanging);
  t.f.TabSheet2.SetVisible(true);
  s.port.failWrite = true;
  Tick(25);  // the identification request goes unanswered and is sent again
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_FALSE(t.link.IsOpen());
  EXPECT_FALSE(s.port.open);
  EXPECT_FALSE(t.f.TabSheet2.Visible());
  EXPECT_EQ(t.f.Panel1.Text(), PortError());
  EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
}

TEST_F(Startup, UnplugReturnsToTheNoDeviceStateAtTheNextTick) {
  AnswerProbe(cat::kTypeStorage);
  Tick(3);
  ASSERT_TRUE(static_cast<bool>(s.port.lost));
  s.port.lost();
  EXPECT_TRUE(t.link.IsOpen()) << "not from inside the port's report";
  Tick();
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_FALSE(t.link.IsOpen());
  EXPECT_FALSE(s.port.open);
  EXPECT_FALSE(t.identification.exchanging);
  EXPECT_EQ(t.f.Panel1.Text(), "Прибор отключён: проверьте кабель USB");
  EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
  EXPECT_EQ(t.f.Panel2.Text(), "   Ожидание подключения к COM3 (10 мин) ...");
  // A late report of the same loss changes nothing.
  t.f.Panel1.SetText("x");
  s.port.lost();
  Tick();
  EXPECT_EQ(t.f.Panel1.Text(), "x");
}

TEST_F(Startup, ResetButtonEndsTheExchangeAndALaterOpenIdentifiesAfresh) {
  AnswerProbe(cat::kTypeStorage);
  Tick(5);
  poll().pending = Pending::WriteWord;  // a command the lost unit never took
  t.f.Button1.Click();
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_FALSE(s.port.open);
  EXPECT_FALSE(t.f.TabSheet2.Visible());
  ASSERT_EQ(t.f.ListView1.Rows().size(), 1u);
  EXPECT_EQ(t.f.ListView1.Rows()[0].sub[1], "Доступен");
  EXPECT_EQ(pending(), Pending::None);
  t.f.ListView1.SetSelected(0);
  t.f.ListView1.DblClick();
  EXPECT_EQ(s.port.writes.back(), Probe());
  EXPECT_FALSE(t.identification.exchanging);
  EXPECT_EQ(t.f.Timer1.Interval(), 100);
}

TEST_F(Startup, ReadOutTraceSettingFollowsCheckBox1) {
  EXPECT_TRUE(t.f.CheckBox1.Checked());
  t.f.CheckBox1.Click();
  EXPECT_FALSE(jobs().spareTrace);
  t.f.CheckBox1.Click();
  EXPECT_TRUE(jobs().spareTrace);
}

}  // namespace
}  // namespace zhv::test
