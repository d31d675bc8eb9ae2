// The real Qt serial port against the simulated unit over a pseudo-terminal.
#include "tests/serial/sim_program.h"

namespace zhv::test {
namespace {

struct RealPort : SimProgram {
  void SetUp() override { Start({"--type", "0x11", "--gas", "27"}); }
};

TEST_F(RealPort, IdentifiesAndPollsTheSimulatedUnit) {
  Tool& t = *tool;
  Ticker ticker(t);

  ASSERT_NO_FATAL_FAILURE(WaitUntilPolled());
  EXPECT_EQ(t.f.Panel2.Text(), "Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 11h)");
  EXPECT_EQ(t.f.Panel2.Colour(), clr::Lime);
  EXPECT_EQ(t.f.Timer1.Interval(), 10);
  EXPECT_TRUE(t.f.TabSheet3.Visible());
  EXPECT_TRUE(t.f.TabSheet6.Visible());
  const int counter = t.exchange.poll.packetCounter;
  ASSERT_TRUE(WaitFor([&] { return t.exchange.poll.packetCounter > counter + 1; }, 10000));
  ASSERT_FALSE(t.f.ListBox1.Items().empty());
  EXPECT_EQ(t.f.ListBox1.Items().back().substr(0, 3), "<: ");

  // The orderly shut-down: USB control off, the closing wait, the port closed.
  t.FormClose();
  EXPECT_FALSE(t.link.IsOpen());
  EXPECT_EQ(t.exchange.poll.state, State::Parked);
}

}  // namespace
}  // namespace zhv::test
