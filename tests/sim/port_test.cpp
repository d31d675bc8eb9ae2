#include "sim/port.h"

#include <gtest/gtest.h>

#include "tests/sim/wire.h"

namespace zhv::sim::test {
namespace {

bool Send(SimPort& port, const Bytes& frame) { return port.Write(frame.data(), frame.size()); }

Bytes ReadAll(SimPort& port) {
  Bytes out(port.QueuedBytes());
  out.resize(port.Read(out.data(), out.size()));
  return out;
}

TEST(SimPort, OpensByNameUnlessBusyOrTaken) {
  Unit unit;
  SimPort port(unit);
  port.SetBusy("/dev/ttyUSB1");
  EXPECT_FALSE(port.Open("/dev/ttyUSB1"));
  EXPECT_TRUE(port.Open("COM7"));
  EXPECT_EQ(port.OpenedName(), "COM7");
  EXPECT_FALSE(port.Open("COM8")) << "one opener at a time";
  port.Close();
  port.AcceptOnly("COM3");
  EXPECT_FALSE(port.Open("COM7"));
  EXPECT_TRUE(port.Open("COM3"));
  EXPECT_TRUE(port.SetLineSettings({250000, 8, Parity::None, StopBits::Two}));
  EXPECT_EQ(port.Settings().baudRate, 250000);
  port.FailLineSettings(true);
  EXPECT_FALSE(port.SetLineSettings({250000, 8, Parity::None, StopBits::Two}));
}

TEST(SimPort, RecordsFramesAndDeliversAnswers) {
  Unit unit;
  SimPort port(unit);
  ASSERT_TRUE(port.Open("COM7"));
  port.Step(10);
  ASSERT_TRUE(Send(port, Request(0x00, {}, 0x00)));
  port.Step(10);
  ASSERT_TRUE(Send(port, Request(0x10, {0x10})));
  ASSERT_EQ(port.Written().size(), 2u);
  EXPECT_EQ(port.Written()[0].bytes, (Bytes{0x0D, 0x00, 0x00, 0x00, 0x0D}));
  EXPECT_EQ(port.Written()[0].atMs, 10u);
  EXPECT_EQ(port.Written()[1].atMs, 20u);

  EXPECT_EQ(port.QueuedBytes(), 5u + 11u);
  Bytes first(5);
  ASSERT_EQ(port.Read(first.data(), first.size()), 5u);
  EXPECT_EQ(first, (Bytes{0x0D, 0x11, 0x00, 0x00, 0x1C}));
  const auto rest = SplitFrames(ReadAll(port));
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0].command, 0x10);
  EXPECT_EQ(port.QueuedBytes(), 0u);
  port.ClearWritten();
  EXPECT_TRUE(port.Written().empty());
}

TEST(SimPort, SplitAnswersCompleteOnTheNextStep) {
  Unit unit;
  unit.faults().split = true;
  SimPort port(unit);
  ASSERT_TRUE(port.Open("COM7"));
  Send(port, Request(0x60));
  const Bytes head = ReadAll(port);
  EXPECT_EQ(head.size(), 35u / 2);
  EXPECT_EQ(port.QueuedBytes(), 0u);
  port.Step(10);
  Bytes all = head;
  const Bytes tail = ReadAll(port);
  all.insert(all.end(), tail.begin(), tail.end());
  EXPECT_EQ(SplitFrames(all).size(), 1u);
}

TEST(SimPort, FailedWritesReachNobody) {
  Unit unit;
  SimPort port(unit);
  EXPECT_FALSE(Send(port, Request(0x00))) << "not open";
  ASSERT_TRUE(port.Open("COM7"));
  port.FailWrites(true);
  EXPECT_FALSE(Send(port, Request(0x00)));
  EXPECT_TRUE(port.Written().empty());
  EXPECT_EQ(unit.RequestCount(0x00), 0);
  port.FailWrites(false);
  EXPECT_TRUE(Send(port, Request(0x00)));
  EXPECT_EQ(unit.RequestCount(0x00), 1);
}

TEST(SimPort, BytesArrivingWhileClosedOrPurgedAreLost) {
  Unit unit;
  unit.faults().split = true;
  SimPort port(unit);
  ASSERT_TRUE(port.Open("COM7"));
  Send(port, Request(0x00));
  port.Close();
  EXPECT_EQ(port.QueuedBytes(), 0u);
  port.Step(10);
  ASSERT_TRUE(port.Open("COM7"));
  EXPECT_EQ(port.QueuedBytes(), 0u);

  Send(port, Request(0x00));
  EXPECT_TRUE(port.Purge());
  EXPECT_EQ(port.Purges(), 1);
  EXPECT_EQ(port.QueuedBytes(), 0u);
  port.Step(10);
  EXPECT_EQ(port.QueuedBytes(), 3u) << "the half still under way arrives after the purge";
}

TEST(SimPort, UnplugCallsTheLostHandlerAndKillsTheLine) {
  Unit unit;
  SimPort port(unit);
  int lost = 0;
  port.SetLostHandler([&] { ++lost; });
  ASSERT_TRUE(port.Open("COM7"));
  port.Unplug();
  EXPECT_EQ(lost, 1);
  EXPECT_FALSE(Send(port, Request(0x00)));
  port.Close();
  EXPECT_FALSE(port.Open("COM7"));
  port.Replug();
  ASSERT_TRUE(port.Open("COM7"));
  EXPECT_TRUE(Send(port, Request(0x00)));
  EXPECT_EQ(port.QueuedBytes(), 5u);
}

TEST(SimPort, AUnitHangingUpUnplugsThePortOnTheNextStep) {
  Unit unit;
  unit.faults().hangUpAfterBlocks = 1;
  SimPort port(unit);
  int lost = 0;
  port.SetLostHandler([&] { ++lost; });
  ASSERT_TRUE(port.Open("COM7"));
  ASSERT_TRUE(Send(port, Request(0x40)));
  EXPECT_EQ(lost, 0) << "never inside the tool's own write";
  EXPECT_EQ(SplitFrames(ReadAll(port)).size(), 2u) << "the last block came through";
  EXPECT_FALSE(Send(port, Request(0x48)));
  port.Step(10);
  port.Step(10);
  EXPECT_EQ(lost, 1);
  port.Close();
  EXPECT_FALSE(port.Open("COM7"));
}

}  // namespace
}  // namespace zhv::sim::test
