// A unit pulled out and plugged in again, against the simulated unit in-process:
// the tool says so, waits ten minutes for the same adapter, and opens it again
// by itself; the charts carry on after a gap.
#include <algorithm>

#include "fixture.h"

namespace zhv::test {
namespace {

struct Return {
  const char* name;
  const char* serial;            // of the adapter the unit was on, at ttyUSB0
  std::vector<PortInfo> present;  // the ports once it is plugged in again
  std::int64_t afterMs;
  bool reset;                    // «Сброс/Обновить список устройств» pressed meanwhile
  const char* reopened;          // the port opened again by itself; nullptr: none
};
void PrintTo(const Return& r, std::ostream* os) { *os << r.name; }

PortInfo Adapter(const char* name, const char* serial) {
  return {"USB Serial Port", std::string("USB Serial Port (") + name + ")", serial};
}

const Return kReturns[] = {
    {"SamePath", "", {Adapter("ttyUSB0", "")}, 2000, false, "ttyUSB0"},
    {"SameSerialNumberAndPath", "A1", {Adapter("ttyUSB1", "B2"), Adapter("ttyUSB0", "A1")}, 2000, false, "ttyUSB0"},
    {"SameSerialNumberElsewhere", "A1", {Adapter("ttyUSB1", "A1")}, 2000, false, "ttyUSB1"},
    {"AnotherAdapterOnThePath", "A1", {Adapter("ttyUSB0", "B2")}, 2000, false, nullptr},
    {"AnotherAdapterElsewhere", "", {Adapter("ttyUSB1", "")}, 2000, false, nullptr},
    {"SerialNumberOnSeveralPorts", "A1", {Adapter("ttyUSB1", "A1"), Adapter("ttyUSB2", "A1")}, 2000, false, nullptr},
    {"AfterTenMinutes", "A1", {Adapter("ttyUSB0", "A1")}, kReplugWaitMs, false, nullptr},
    {"CancelledByReset", "A1", {Adapter("ttyUSB0", "A1")}, 2000, true, nullptr},
};

struct ReplugAfter : SimTest, ::testing::WithParamInterface<Return> {};

TEST_P(ReplugAfter, TheSameAdapterIsOpenedAgainWithinTenMinutes) {
  const Return& r = GetParam();
  Open(UnitOptions(cat::kTypeBase, cat::kGasCH4), Adapter("ttyUSB0", r.serial));
  Seconds(5);
  port.Unplug();
  Tick();
  const ChartRing before = t().display.state.rings[0];
  ASSERT_GT(before.fillCount, 2) << "the chart has values";
  EXPECT_FALSE(t().link.IsOpen());
  EXPECT_EQ(t().f.Panel1.Text(), "Прибор отключён: проверьте кабель USB");
  EXPECT_EQ(t().f.Panel1.Colour(), clr::Red);
  ASSERT_EQ(t().f.ListView1.Rows().size(), 1u);
  EXPECT_NE(t().f.ListView1.Rows()[0].sub[1], "Открыт");

  s.ports.list = r.present;
  port.Replug();
  if (r.reset) t().f.Button1.Click();
  s.clock.steadyMs += r.afterMs;
  s.ports.Poll();
  s.ports.Poll();
  if (!r.reopened) {
    EXPECT_FALSE(t().link.IsOpen()) << port.OpenedName();
    return;
  }
  ASSERT_TRUE(t().link.IsOpen());
  EXPECT_EQ(port.OpenedName(), r.reopened);
  EXPECT_EQ(t().f.Panel1.Text(), std::string("Открыт порт ") + r.reopened);
  Seconds(5);
  ASSERT_TRUE(poll().firstPass) << t().f.Panel2.Text();

  // The values from before, the gap, then the new ones.
  const auto& points = t().f.LineSeries110.Points();
  const auto gap = std::find_if(points.begin(), points.end(), [](const auto& p) { return IsChartGap(p.y); });
  ASSERT_NE(gap, points.end());
  ASSERT_EQ(gap - points.begin(), before.writePos);
  for (int i = 0; i < before.writePos; ++i) EXPECT_EQ(points[static_cast<std::size_t>(i)].y, before.values[static_cast<std::size_t>(i)]);
  EXPECT_FALSE(IsChartGap(points[static_cast<std::size_t>(before.writePos) + 1].y));
}
INSTANTIATE_TEST_SUITE_P(Returns, ReplugAfter, ::testing::ValuesIn(kReturns),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zhv::test
