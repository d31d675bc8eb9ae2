// The port list and opening a port.
#include "fixture.h"
#include "link/ports.h"

namespace zhv::test {
namespace {

TEST(FriendlyName, TheLastParenthesisedGroupIsTheComNameElseItIsUnknown) {
  const std::pair<const char*, const char*> cases[] = {
      {"USB Serial Port (COM7)", "COM7"},
      {"Port (A) (COM12)", "COM12"},
      {"(COM1)", "COM1"},
      {"Порт (/dev/pts/4)", "/dev/pts/4"},
      {"Modem COM3)", "Unknown"},
      {")", "Unknown"},
      {"USB Serial Port (COM7", "Unknown"},
      {"USB Serial Port", "Unknown"},
      {"", "Unknown"},
  };
  for (const auto& [friendly, com] : cases) EXPECT_EQ(ComNameFromFriendlyName(friendly), com) << friendly;
}

struct Ports : ToolTest {
  // The row, or an empty one when there is none (the size is checked first where it matters).
  ListViewControl::Row Row(std::size_t i) const {
    const auto& rows = t.f.ListView1.Rows();
    if (i < rows.size()) return rows[i];
    ADD_FAILURE() << "no row " << i;
    return {};
  }
  void Select(const std::string& com) {
    for (std::size_t i = 0; i < t.f.ListView1.Rows().size(); ++i)
      if (t.f.ListView1.Rows()[i].sub[0] == com) t.f.ListView1.SetSelected(static_cast<int>(i));
  }
  void Open(const std::string& com) {
    Select(com);
    t.f.ListView1.DblClick();
  }
};

TEST_F(Ports, ListShowsEveryPortWithItsAvailability) {
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"},
                  {"Modem", "Modem COM9"},
                  {"Bluetooth", "Bluetooth link (COM4)"}};
  s.port.busy = {"COM4"};
  t.FormCreate();
  ASSERT_EQ(t.f.ListView1.Rows().size(), 3u);
  EXPECT_EQ(Row(0).caption, "USB Serial Port");
  EXPECT_EQ(Row(0).sub[0], "COM7");
  EXPECT_EQ(Row(0).sub[1], "Доступен");
  EXPECT_EQ(Row(1).sub[0], "Unknown");
  EXPECT_EQ(Row(1).sub[1], "");
  EXPECT_EQ(Row(2).sub[1], "Занят");
  EXPECT_FALSE(s.port.open);  // the availability test closes what it opened
}

TEST_F(Ports, OpeningConfiguresTheLinkAndSendsTheFirstProbe) {
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"}};
  t.FormCreate();
  s.port.Feed({0x55, 0x66});  // stale bytes from before the open
  Open("COM7");
  EXPECT_EQ(s.port.openedName, "COM7");
  EXPECT_EQ(s.port.settings.baudRate, 250000);
  EXPECT_EQ(s.port.settings.dataBits, 8);
  EXPECT_EQ(s.port.settings.parity, Parity::None);
  EXPECT_EQ(s.port.settings.stopBits, StopBits::Two);
  EXPECT_TRUE(s.port.input.empty());
  ASSERT_EQ(s.port.writes.size(), 1u);
  EXPECT_EQ(s.port.writes[0], (Bytes{0x0D, 0x00, 0x00, 0x00, 0x0D}));
  EXPECT_TRUE(t.link.IsOpen());
  EXPECT_EQ(Row(0).sub[1], "Открыт");
  EXPECT_EQ(t.f.Panel1.Text(), "Открыт порт COM7");
  EXPECT_EQ(t.f.Panel1.Colour(), clr::PortOpen);
  EXPECT_EQ(t.f.Panel2.Text(), "   Поиск прибора ...");
  EXPECT_TRUE(t.f.Timer1.Enabled());
  EXPECT_EQ(t.f.Timer1.Interval(), 100);
  EXPECT_EQ(t.link.state().timeoutReload, kInterByteTimeoutTicks);
  EXPECT_EQ(t.identification.retry, kFirstIdentifyRetryTicks);
}

TEST_F(Ports, DoubleClickDoesNothingWithoutSelectionOrWhileOpen) {
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"}, {"Other", "Other (COM8)"}};
  t.FormCreate();
  t.f.ListView1.DblClick();
  EXPECT_FALSE(s.port.open);
  EXPECT_TRUE(s.port.writes.empty());
  Open("COM7");
  Open("COM8");
  EXPECT_EQ(s.port.openedName, "COM7");
  EXPECT_EQ(s.port.writes.size(), 1u);
}

// Whatever keeps a port from opening, the panel says so in red and no timer runs.
TEST_F(Ports, RefusedPortsSayWhyInPanel1) {
  struct Case {
    const char* com;
    void (*refuse)(fake::Port&);
    const char* row;  // the availability the list showed before
    const char* panel1;
  };
  const Case cases[] = {
      {"COM7", [](fake::Port& p) { p.busy = {"COM7"}; }, "Занят", "Не возможно открыть порт COM7"},
      {"Unknown", [](fake::Port& p) { p.busy = {"Unknown"}; }, "", "Не возможно открыть порт Unknown"},
      {"ttyUSB0", [](fake::Port& p) { p.forbidden = {"ttyUSB0"}; }, "Нет прав",
       "Не возможно открыть порт ttyUSB0: нет прав, добавьте себя в группу dialout"},
      {"/dev/pts/9", [](fake::Port& p) { p.missing = {"/dev/pts/9"}; }, "Не найден",
       "Не возможно открыть порт /dev/pts/9: порт не найден"},
      {"COM7", [](fake::Port& p) { p.failLineSettings = true; }, "Доступен", "Ошибка доступа к порт COM7"},
  };
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"},
                  {"Modem", "Modem"},
                  {"USB Serial Port", "USB Serial Port (ttyUSB0)"},
                  {"Порт из командной строки", "Порт из командной строки (/dev/pts/9)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.panel1);
    s.port.busy.clear();
    s.port.forbidden.clear();
    s.port.missing.clear();
    s.port.failLineSettings = false;
    c.refuse(s.port);
    t.FormCreate();
    Select(c.com);
    ASSERT_GE(t.f.ListView1.Selected(), 0);
    EXPECT_EQ(Row(static_cast<std::size_t>(t.f.ListView1.Selected())).sub[1], c.row);
    t.f.ListView1.DblClick();
    EXPECT_EQ(t.f.Panel1.Text(), c.panel1);
    EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
    EXPECT_FALSE(t.link.IsOpen());
    EXPECT_FALSE(s.port.open);
    EXPECT_FALSE(t.f.Timer1.Enabled());
    EXPECT_TRUE(s.port.writes.empty());
  }
  // A port that opened but refused its line settings was still being searched on.
  EXPECT_EQ(t.f.Panel2.Text(), "   Поиск прибора ...");
}

TEST_F(Ports, ListFollowsAdaptersPluggedAndPulledKeepingTheSelection) {
  const PortInfo com7{"USB Serial Port", "USB Serial Port (COM7)"};
  const PortInfo com3{"CH340", "CH340 (COM3)"};
  s.ports.list = {com7};
  t.FormCreate();
  Select("COM7");

  s.ports.list = {com3, com7};  // plugged in, listed before the chosen one
  s.ports.Poll();
  ASSERT_EQ(t.f.ListView1.Rows().size(), 2u);
  EXPECT_EQ(Row(0).sub[1], "Доступен") << "a new row gets its availability test";
  EXPECT_EQ(t.f.ListView1.Selected(), 1);

  // An unchanged set is only looked at: no rebuild, so no port is opened to test it.
  s.port.busy = {"COM3", "COM7"};
  s.ports.Poll();
  EXPECT_EQ(Row(0).sub[1], "Доступен");
  EXPECT_EQ(t.f.ListView1.Selected(), 1);

  s.ports.list = {com3};  // the chosen adapter pulled out
  s.ports.Poll();
  ASSERT_EQ(t.f.ListView1.Rows().size(), 1u);
  EXPECT_EQ(Row(0).sub[1], "Занят");
  EXPECT_EQ(t.f.ListView1.Selected(), -1);
}

TEST_F(Ports, ListIsLeftAloneWhileAPortIsOpenAndCatchesUpAfter) {
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"}};
  t.FormCreate();
  Open("COM7");
  ASSERT_TRUE(t.link.IsOpen());
  const int lookups = s.ports.lookups;

  s.ports.list.push_back({"CH340", "CH340 (COM3)"});
  s.ports.Poll();
  EXPECT_EQ(s.ports.lookups, lookups) << "nothing is looked at while a port is in use";
  EXPECT_EQ(Row(0).sub[1], "Открыт");

  ASSERT_TRUE(s.port.lost);
  s.port.lost();  // the device went away: the list is made afresh
  Tick();         // once what it sent before has been taken
  ASSERT_FALSE(t.link.IsOpen());
  std::vector<std::string> events;  // the session log tells how the connection went
  for (const std::string& line : s.log.lines)
    if (line.starts_with("== ")) events.push_back(line);
  EXPECT_EQ(events, (std::vector<std::string>{"== Открыт порт COM7", "== Закрыт порт COM7",
                                               "== Прибор отключён: проверьте кабель USB (COM7)"}));
  ASSERT_EQ(t.f.ListView1.Rows().size(), 2u);
  EXPECT_EQ(Row(0).sub[1], "Доступен");
  EXPECT_EQ(t.f.ListView1.Selected(), 0);
}

}  // namespace
}  // namespace zhv::test
