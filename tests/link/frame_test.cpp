// Link frames both ways and the trace window.
#include <gtest/gtest.h>

#include "app/tool.h"
#include "link/Vcom_io.h"
#include "platform/fakes.h"

namespace zhv {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Link : ::testing::Test {
  fake::Services s;
  Tool t{s.platform()};

  void SetUp() override {
    s.port.Open("COM3");
    t.r.portOpen = 1;
    t.r.portName = "COM3";
    t.r.timeoutReload = kInterByteTimeoutTicks;
  }
  const std::vector<std::string>& Trace() { return t.f.ListBox1.Items(); }
  void Request(std::uint8_t command, Bytes data) {
    t.r.request[2] = command;
    t.r.request[3] = static_cast<std::uint8_t>(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) t.r.request[4 + i] = data[i];
  }
  // Consumes a held frame the way the identification step and the state machine do.
  Bytes Take() {
    EXPECT_EQ(t.r.frameReady, 1);
    t.r.frameReady = 0;
    Bytes out(3u + t.r.rxLength);
    out[0] = t.r.rxDeviceType;
    out[1] = t.r.rxCommand;
    out[2] = t.r.rxLength;
    std::copy_n(t.r.rxData.begin(), t.r.rxLength, out.begin() + 3);
    return out;
  }
};

TEST_F(Link, SendFrameBuildsStartTypeCommandLengthDataAndXor) {
  Request(0x00, {});
  SendFrame(t);
  t.r.sendDeviceType = 0x11;
  Request(0x60, {});
  SendFrame(t);
  Request(0x10, {0x00});
  SendFrame(t);
  ASSERT_EQ(s.port.writes.size(), 3u);
  EXPECT_EQ(s.port.writes[0], (Bytes{0x0D, 0x00, 0x00, 0x00, 0x0D}));
  EXPECT_EQ(s.port.writes[1], (Bytes{0x0D, 0x11, 0x60, 0x00, 0x7C}));
  EXPECT_EQ(s.port.writes[2], (Bytes{0x0D, 0x11, 0x10, 0x01, 0x00, 0x0D}));
  ASSERT_EQ(Trace().size(), 3u);
  EXPECT_EQ(Trace()[0], ">: 0D 00 00 00 0D ");
  EXPECT_EQ(Trace()[1], ">: 0D 11 60 00 7C ");
}

TEST_F(Link, SendFrameNeverReadsPastTheFrameBuffer) {
  t.r.request[2] = 0x55;
  t.r.request[3] = 0xFF;  // no caller builds this; the frame must still fit 256 bytes
  SendFrame(t);
  ASSERT_EQ(s.port.writes.size(), 1u);
  EXPECT_EQ(s.port.writes[0].size(), 256u);
  std::uint8_t x = 0;
  for (std::uint8_t b : s.port.writes[0]) x ^= b;
  EXPECT_EQ(x, 0);
}

TEST_F(Link, FailedWriteIsReportedAndDecidesNothing) {
  t.f.Timer1.SetEnabled(true);
  Request(0x20, {});
  EXPECT_TRUE(SendFrame(t));
  s.port.failWrite = true;
  EXPECT_FALSE(SendFrame(t));
  // Ending the connection is the exchange's decision, not the link's.
  EXPECT_TRUE(t.f.Timer1.Enabled());
  EXPECT_EQ(t.r.portOpen, 1);
  s.port.failWrite = false;
  t.r.portOpen = 0;
  EXPECT_FALSE(SendFrame(t)) << "nothing is written to a port that is not open";
  EXPECT_EQ(s.port.writes.size(), 1u);
}

TEST_F(Link, ReceivesAGoodFrameAndTracesIt) {
  s.port.Feed({0x0D, 0x11, 0x00, 0x00, 0x1C});
  ReceiveFrame(t);
  EXPECT_EQ(Take(), (Bytes{0x11, 0x00, 0x00}));
  EXPECT_EQ(Trace().back(), "<: 0D 11 00 00 1C ");
  EXPECT_EQ(t.f.Edit1.Text(), "5");
  EXPECT_EQ(t.f.Edit2.Text(), "0");
  EXPECT_EQ(t.r.interByteTimeout, 0);
}

TEST_F(Link, WrongCheckByteIsDroppedAndTheNextStartBeginsAFrame) {
  s.port.Feed({0x0D, 0x11, 0x00, 0x00, 0x00, 0x0D, 0x11, 0x10, 0x01, 0x00, 0x0D});
  ReceiveFrame(t);
  EXPECT_EQ(t.r.frameReady, 0);
  EXPECT_EQ(Trace().back(), "<: 0D 11 00 00 00 bad XOR");
  ReceiveFrame(t);
  EXPECT_EQ(Take(), (Bytes{0x11, 0x10, 0x01, 0x00}));
}

TEST_F(Link, NoiseBeforeTheStartByteIsDiscardedWithoutTrace) {
  s.port.Feed({0x44, 0x13, 0xFF, 0x0D, 0x11, 0x00, 0x00, 0x1C});
  ReceiveFrame(t);
  EXPECT_EQ(Take(), (Bytes{0x11, 0x00, 0x00}));
  ASSERT_EQ(Trace().size(), 1u);
  EXPECT_EQ(Trace()[0], "<: 0D 11 00 00 1C ");
}

TEST_F(Link, TwoFramesInOneReadAreCompletedOnSeparateTicks) {
  s.port.Feed({0x0D, 0x11, 0x00, 0x00, 0x1C, 0x0D, 0x11, 0x10, 0x01, 0x00, 0x0D});
  ReceiveFrame(t);
  EXPECT_EQ(t.r.readPos, 5u);  // the second frame is untouched
  EXPECT_EQ(Take(), (Bytes{0x11, 0x00, 0x00}));
  ReceiveFrame(t);
  EXPECT_EQ(Take(), (Bytes{0x11, 0x10, 0x01, 0x00}));
}

TEST_F(Link, SplitFrameIsAssembledAcrossTicksWithinTheTimeout) {
  s.port.Feed({0x0D, 0x11, 0x10});
  ReceiveFrame(t);
  for (int i = 0; i < 3; ++i) ReceiveFrame(t);  // four silent calls: still alive
  s.port.Feed({0x01, 0x00});
  ReceiveFrame(t);
  EXPECT_EQ(t.r.frameReady, 0);
  s.port.Feed({0x0D});
  ReceiveFrame(t);
  EXPECT_EQ(Take(), (Bytes{0x11, 0x10, 0x01, 0x00}));
}

TEST_F(Link, StalledFrameTimesOutOnTheFifthSilentCall) {
  s.port.Feed({0x0D, 0x11, 0x20});
  ReceiveFrame(t);
  for (int i = 0; i < 4; ++i) ReceiveFrame(t);
  EXPECT_EQ(t.r.rxState, 3);
  ReceiveFrame(t);
  EXPECT_EQ(t.r.rxState, 0);
  EXPECT_EQ(Trace().back(), "<: 0D 11 20 <: TimeOut");
  // The rest of the stalled frame is noise now; the next start byte counts again.
  s.port.Feed({0x00, 0x7E, 0x0D, 0x11, 0x00, 0x00, 0x1C});
  ReceiveFrame(t);
  EXPECT_EQ(Take(), (Bytes{0x11, 0x00, 0x00}));
}

TEST_F(Link, LengthZeroGoesStraightToTheCheckByte) {
  s.port.Feed({0x0D, 0x11, 0x48, 0x00, 0x0D ^ 0x11 ^ 0x48});
  ReceiveFrame(t);
  EXPECT_EQ(Take(), (Bytes{0x11, 0x48, 0x00}));
}

TEST_F(Link, MaximalFrameStaysInsideTheBuffers) {
  Bytes frame{0x0D, 0x11, 0x54, 0xFF};
  for (int i = 0; i < 255; ++i) frame.push_back(static_cast<std::uint8_t>(i));
  std::uint8_t x = 0;
  for (std::uint8_t b : frame) x ^= b;
  frame.push_back(x);
  s.port.Feed(frame);  // 260 bytes: more than one read may take
  ReceiveFrame(t);
  EXPECT_EQ(t.r.bytesRead, 256u);
  EXPECT_EQ(t.r.frameReady, 0);
  ReceiveFrame(t);
  Bytes got = Take();
  ASSERT_EQ(got.size(), 3u + 255u);
  EXPECT_EQ(got[3 + 254], 254);
}

TEST_F(Link, TraceOffLeavesTheTraceWindowUntouched) {
  SetTraceOff(t, 1);
  Request(0x20, {});
  SendFrame(t);
  s.port.Feed({0x0D, 0x11, 0x00, 0x00, 0x00, 0x0D, 0x11, 0x20});
  ReceiveFrame(t);
  for (int i = 0; i < 6; ++i) ReceiveFrame(t);
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(t.r.traceLineCount, 0);
  SetTraceOff(t, 0);
  SendFrame(t);
  EXPECT_EQ(Trace().size(), 1u);
}

TEST_F(Link, TraceKeepsTheLast32LinesWithTheNewestOnTop) {
  for (int i = 0; i < 33; ++i) {
    Request(static_cast<std::uint8_t>(i), {});
    SendFrame(t);
  }
  ASSERT_EQ(Trace().size(), 32u);
  EXPECT_EQ(Trace().front().substr(0, 12), ">: 0D 00 01 ");  // the first line was pushed out
  EXPECT_EQ(Trace().back().substr(0, 12), ">: 0D 00 20 ");
  EXPECT_EQ(t.f.ListBox1.TopIndex(), 31);
  Button2Click(t);
  EXPECT_TRUE(Trace().empty());
  SendFrame(t);
  EXPECT_EQ(t.f.ListBox1.TopIndex(), 0);
}

TEST_F(Link, SessionLogKeepsEveryFrameWhateverTheTraceShows) {
  SetTraceOff(t, 1);  // as during a storage read-out
  s.port.Feed({0x0D, 0x11, 0x00});
  ReceiveFrame(t);
  Request(0x20, {});
  SendFrame(t);  // goes out while an answer is half in
  s.port.Feed({0x00, 0x1C, 0x0D, 0x11, 0x00, 0x00, 0x00, 0x0D, 0x11, 0x20});
  ReceiveFrame(t);
  t.r.frameReady = 0;
  for (int i = 0; i < 7; ++i) ReceiveFrame(t);  // the bad frame, then a stall
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(s.log.lines, (std::vector<std::string>{">: 0D 00 20 00 2D ", "<: 0D 11 00 00 1C ",
                                                    "<: 0D 11 00 00 00 bad XOR", "<: 0D 11 20 <: TimeOut"}));

  SetTraceOff(t, 0);
  for (int i = 0; i < 40; ++i) SendFrame(t);
  EXPECT_EQ(Trace().size(), 32u);
  EXPECT_EQ(s.log.lines.size(), 44u) << "the log is not bounded by the window";
}

}  // namespace
}  // namespace zhv
