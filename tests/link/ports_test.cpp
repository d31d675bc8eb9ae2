// The port list and opening a port.
#include <gtest/gtest.h>

#include "app/tool.h"
#include "exchange/startup.h"
#include "link/Vcom_io.h"
#include "platform/fakes.h"

namespace zhv {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FriendlyName, TheLastParenthesisedGroupIsTheComName) {
  EXPECT_EQ(ComNameFromFriendlyName("USB Serial Port (COM7)"), "COM7");
  EXPECT_EQ(ComNameFromFriendlyName("Port (A) (COM12)"), "COM12");
  EXPECT_EQ(ComNameFromFriendlyName("(COM1)"), "COM1");
  EXPECT_EQ(ComNameFromFriendlyName("Порт (/dev/pts/4)"), "/dev/pts/4");
}

TEST(FriendlyName, WithoutAParenthesisedGroupItIsUnknown) {
  EXPECT_EQ(ComNameFromFriendlyName("Modem COM3)"), "Unknown");
  EXPECT_EQ(ComNameFromFriendlyName(")"), "Unknown");
  EXPECT_EQ(ComNameFromFriendlyName("USB Serial Port (COM7"), "Unknown");
  EXPECT_EQ(ComNameFromFriendlyName("USB Serial Port"), "Unknown");
  EXPECT_EQ(ComNameFromFriendlyName(""), "Unknown");
}

struct Ports : ::testing::Test {
  fake::Services s;
  Tool t{s.platform()};
  const ListViewControl::Row& Row(int i) { return t.f.ListView1.Rows()[static_cast<std::size_t>(i)]; }
  void Select(const std::string& com) {
    for (std::size_t i = 0; i < t.f.ListView1.Rows().size(); ++i)
      if (t.f.ListView1.Rows()[i].sub[0] == com) t.f.ListView1.SetSelected(static_cast<int>(i));
  }
};

TEST_F(Ports, ListShowsEveryPortWithItsAvailability) {
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"},
                  {"Modem", "Modem COM9"},
                  {"Bluetooth", "Bluetooth link (COM4)"}};
  s.port.busy = {"COM4"};
  FormCreate(t);
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
  FormCreate(t);
  Select("COM7");
  s.port.Feed({0x55, 0x66});  // stale bytes from before the open
  t.f.ListView1.DblClick();
  EXPECT_EQ(s.port.openedName, "COM7");
  EXPECT_EQ(s.port.settings.baudRate, 250000);
  EXPECT_EQ(s.port.settings.dataBits, 8);
  EXPECT_EQ(s.port.settings.parity, Parity::None);
  EXPECT_EQ(s.port.settings.stopBits, StopBits::Two);
  EXPECT_TRUE(s.port.input.empty());
  ASSERT_EQ(s.port.writes.size(), 1u);
  EXPECT_EQ(s.port.writes[0], (Bytes{0x0D, 0x00, 0x00, 0x00, 0x0D}));
  EXPECT_EQ(t.r.portOpen, 1);
  EXPECT_EQ(Row(0).sub[1], "Открыт");
  EXPECT_EQ(t.f.Panel1.Text(), "Открыт порт COM7");
  EXPECT_EQ(t.f.Panel1.Colour(), clr::PortOpen);
  EXPECT_EQ(t.f.Panel2.Text(), "   Поиск прибора ...");
  EXPECT_TRUE(t.f.Timer1.Enabled());
  EXPECT_EQ(t.f.Timer1.Interval(), 100);
  EXPECT_EQ(t.r.timeoutReload, 5);
  EXPECT_EQ(t.r.identRetry, 10);
}

TEST_F(Ports, DoubleClickDoesNothingWithoutSelectionOrWhileOpen) {
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"},
                  {"Other", "Other (COM8)"}};
  FormCreate(t);
  t.f.ListView1.DblClick();
  EXPECT_FALSE(s.port.open);
  EXPECT_TRUE(s.port.writes.empty());
  Select("COM7");
  t.f.ListView1.DblClick();
  Select("COM8");
  t.f.ListView1.DblClick();
  EXPECT_EQ(s.port.openedName, "COM7");
  EXPECT_EQ(s.port.writes.size(), 1u);
}

TEST_F(Ports, APortHeldByAnotherProgramCannotBeOpened) {
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"}, {"Modem", "Modem"}};
  FormCreate(t);
  s.port.busy = {"COM7", "Unknown"};
  Select("COM7");
  t.f.ListView1.DblClick();
  EXPECT_EQ(t.f.Panel1.Text(), "Не возможно открыть порт COM7");
  EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
  EXPECT_EQ(t.r.portOpen, 0);
  EXPECT_FALSE(t.f.Timer1.Enabled());
  Select("Unknown");
  t.f.ListView1.DblClick();
  EXPECT_EQ(t.f.Panel1.Text(), "Не возможно открыть порт Unknown");
}

TEST_F(Ports, RefusedLineSettingsCloseThePortAndShowTheAccessError) {
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"}};
  FormCreate(t);
  s.port.failLineSettings = true;
  Select("COM7");
  t.f.ListView1.DblClick();
  EXPECT_EQ(t.f.Panel1.Text(), "Ошибка доступа к порт COM7");
  EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
  EXPECT_EQ(t.f.Panel2.Text(), "   Поиск прибора ...");
  EXPECT_FALSE(s.port.open);
  EXPECT_EQ(t.r.portOpen, 0);
  EXPECT_TRUE(s.port.writes.empty());
  EXPECT_FALSE(t.f.Timer1.Enabled());
}

TEST_F(Ports, RefusedPortsSayWhetherBusyForbiddenOrMissing) {
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"},
                  {"USB Serial Port", "USB Serial Port (ttyUSB0)"},
                  {"Порт из командной строки", "Порт из командной строки (/dev/pts/9)"}};
  s.port.busy = {"COM7"};
  s.port.forbidden = {"ttyUSB0"};
  s.port.missing = {"/dev/pts/9"};
  FormCreate(t);
  EXPECT_EQ(Row(0).sub[1], "Занят");
  EXPECT_EQ(Row(1).sub[1], "Нет прав");
  EXPECT_EQ(Row(2).sub[1], "Не найден");

  Select("COM7");
  t.f.ListView1.DblClick();
  EXPECT_EQ(t.f.Panel1.Text(), "Не возможно открыть порт COM7");
  Select("ttyUSB0");
  t.f.ListView1.DblClick();
  EXPECT_EQ(t.f.Panel1.Text(), "Не возможно открыть порт ttyUSB0: нет прав, добавьте себя в группу dialout");
  Select("/dev/pts/9");
  t.f.ListView1.DblClick();
  EXPECT_EQ(t.f.Panel1.Text(), "Не возможно открыть порт /dev/pts/9: порт не найден");
  EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
  EXPECT_EQ(t.r.portOpen, 0);
}

TEST_F(Ports, ListFollowsAdaptersPluggedAndPulledKeepingTheSelection) {
  const PortInfo com7{"USB Serial Port", "USB Serial Port (COM7)"};
  const PortInfo com3{"CH340", "CH340 (COM3)"};
  s.ports.list = {com7};
  FormCreate(t);
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
  FormCreate(t);
  Select("COM7");
  t.f.ListView1.DblClick();
  ASSERT_EQ(t.r.portOpen, 1);
  const int lookups = s.ports.lookups;

  s.ports.list.push_back({"CH340", "CH340 (COM3)"});
  s.ports.Poll();
  EXPECT_EQ(s.ports.lookups, lookups) << "nothing is looked at while a port is in use";
  EXPECT_EQ(Row(0).sub[1], "Открыт");

  s.port.lost();  // the device went away: the connection ends without a new list
  t.f.Timer1.OnTimer();  // once what it sent before has been taken
  ASSERT_EQ(t.r.portOpen, 0);
  std::vector<std::string> events;  // the session log tells how the connection went
  for (const std::string& line : s.log.lines)
    if (line.starts_with("== ")) events.push_back(line);
  EXPECT_EQ(events, (std::vector<std::string>{"== Открыт порт COM7", "== Закрыт порт COM7",
                                               "== Ошибка доступа к порт COM7"}));
  s.ports.Poll();
  ASSERT_EQ(t.f.ListView1.Rows().size(), 2u);
  EXPECT_EQ(Row(0).sub[1], "Доступен");
  EXPECT_EQ(t.f.ListView1.Selected(), 0);
}

}  // namespace
}  // namespace zhv
