// Link frames both ways, the trace window and the session log.
#include "fixture.h"

namespace zhv::test {
namespace {

using ParserState = FrameParser::State;

struct Frames : ToolTest {
  void SetUp() override { ASSERT_EQ(t.link.Open("COM3"), OpenResult::Opened); }

  const std::vector<std::string>& Trace() const { return t.f.ListBox1.Items(); }
  std::string LastTraceLine() const { return Trace().empty() ? "(no line)" : Trace().back(); }
  void Send(std::uint8_t command, const Bytes& data = {}) { t.link.Send(command, data); }
  void Receive(int n = 1) {
    for (int i = 0; i < n; ++i) t.link.Receive();
  }
  // Takes the held frame as the identification step and the machine do: type,
  // command, length, data; empty when no frame is held.
  Bytes Take() {
    if (!t.link.FrameReady()) {
      ADD_FAILURE() << "no frame held";
      return {};
    }
    t.link.TakeFrame();
    const Frame& f = t.link.Received();
    Bytes out{f.type, f.command, f.length};
    out.insert(out.end(), f.Data().begin(), f.Data().end());
    return out;
  }
};

TEST_F(Frames, SendBuildsStartTypeCommandLengthDataAndXor) {
  Send(cat::kProbe);
  t.link.SetSendType(cat::kTypeStorage);
  Send(cat::kReadParams);
  Send(cat::kUnitControl, {cat::kArgUsbOff});
  ASSERT_EQ(s.port.writes.size(), 3u);
  EXPECT_EQ(s.port.writes[0], (Bytes{0x0D, 0x00, 0x00, 0x00, 0x0D}));
  EXPECT_EQ(s.port.writes[1], (Bytes{0x0D, 0x11, 0x60, 0x00, 0x7C}));
  EXPECT_EQ(s.port.writes[2], (Bytes{0x0D, 0x11, 0x10, 0x01, 0x00, 0x0D}));
  ASSERT_EQ(Trace().size(), 3u);
  EXPECT_EQ(Trace()[0], ">: 0D 00 00 00 0D ");
  EXPECT_EQ(Trace()[1], ">: 0D 11 60 00 7C ");
}

TEST_F(Frames, SendNeverBuildsMoreThanTheFrameBuffer) {
  Send(0x55, Bytes(255, 0xA5));  // no caller builds this; the frame must still fit 256 bytes
  ASSERT_EQ(s.port.writes.size(), 1u);
  ASSERT_EQ(s.port.writes[0].size(), 256u);
  EXPECT_EQ(s.port.writes[0][3], kMaxSendData);
  std::uint8_t x = 0;
  for (std::uint8_t b : s.port.writes[0]) x ^= b;
  EXPECT_EQ(x, 0);
}

TEST_F(Frames, FailedWriteIsReportedAndDecidesNothing) {
  t.f.Timer1.SetEnabled(true);
  EXPECT_TRUE(t.link.Send(cat::kReadStatus, {}));
  s.port.failWrite = true;
  EXPECT_FALSE(t.link.Send(cat::kReadStatus, {}));
  EXPECT_TRUE(t.link.WriteFailed());
  // Ending the connection is the poll tick's decision, not the link's.
  EXPECT_TRUE(t.f.Timer1.Enabled());
  EXPECT_TRUE(t.link.IsOpen());
  s.port.failWrite = false;
  t.link.Close();
  EXPECT_FALSE(t.link.Send(cat::kReadStatus, {})) << "nothing is written to a port that is not open";
  EXPECT_EQ(s.port.writes.size(), 1u);
}

// Bytes fed in one read, and the frames (type, command, length, data) taken one per call.
struct Reception {
  const char* name;
  Bytes fed;
  std::vector<Bytes> frames;
  std::vector<std::string> trace;
};

TEST_F(Frames, GoodFramesAreTakenOnePerCallAndTheRestIsDroppedOrSkipped) {
  const Reception cases[] = {
      {"a good frame", {0x0D, 0x11, 0x00, 0x00, 0x1C}, {{0x11, 0x00, 0x00}}, {"<: 0D 11 00 00 1C "}},
      {"a wrong check byte, then a good frame",
       {0x0D, 0x11, 0x00, 0x00, 0x00, 0x0D, 0x11, 0x10, 0x01, 0x00, 0x0D},
       {{0x11, 0x10, 0x01, 0x00}},
       {"<: 0D 11 00 00 00 bad XOR", "<: 0D 11 10 01 00 0D "}},
      {"noise before the start byte", {0x44, 0x13, 0xFF, 0x0D, 0x11, 0x00, 0x00, 0x1C}, {{0x11, 0x00, 0x00}},
       {"<: 0D 11 00 00 1C "}},
      {"two frames in one read",
       {0x0D, 0x11, 0x00, 0x00, 0x1C, 0x0D, 0x11, 0x10, 0x01, 0x00, 0x0D},
       {{0x11, 0x00, 0x00}, {0x11, 0x10, 0x01, 0x00}},
       {"<: 0D 11 00 00 1C ", "<: 0D 11 10 01 00 0D "}},
      {"length zero goes straight to the check byte", {0x0D, 0x11, 0x48, 0x00, 0x0D ^ 0x11 ^ 0x48},
       {{0x11, 0x48, 0x00}}, {"<: 0D 11 48 00 54 "}},
  };
  for (const Reception& c : cases) {
    SCOPED_TRACE(c.name);
    t.f.Button2.Click();
    s.port.Feed(c.fed);
    std::vector<Bytes> taken;
    for (int i = 0; i < 4; ++i) {
      Receive();
      if (t.link.FrameReady()) taken.push_back(Take());
    }
    EXPECT_EQ(taken, c.frames);
    EXPECT_EQ(Trace(), c.trace);
  }
}

TEST_F(Frames, AGoodFrameShowsTheReadAndStopsTheTimeout) {
  s.port.Feed({0x0D, 0x11, 0x00, 0x00, 0x1C});
  Receive();
  EXPECT_EQ(Take(), (Bytes{0x11, 0x00, 0x00}));
  EXPECT_EQ(t.f.Edit1.Text(), "5");
  EXPECT_EQ(t.f.Edit2.Text(), "0");
  EXPECT_EQ(t.link.state().interByteTimeout, 0);
}

TEST_F(Frames, TwoFramesInOneReadLeaveTheSecondUntouched) {
  s.port.Feed({0x0D, 0x11, 0x00, 0x00, 0x1C, 0x0D, 0x11, 0x10, 0x01, 0x00, 0x0D});
  Receive();
  EXPECT_EQ(t.link.state().readPos, 5u);
  EXPECT_TRUE(t.link.FrameReady());
}

TEST_F(Frames, SplitFrameIsAssembledAcrossTicksWithinTheTimeout) {
  s.port.Feed({0x0D, 0x11, 0x10});
  Receive(4);  // one call with bytes, three silent ones: still alive
  s.port.Feed({0x01, 0x00});
  Receive();
  EXPECT_FALSE(t.link.FrameReady());
  s.port.Feed({0x0D});
  Receive();
  EXPECT_EQ(Take(), (Bytes{0x11, 0x10, 0x01, 0x00}));
}

TEST_F(Frames, StalledFrameTimesOutOnTheFifthSilentCall) {
  s.port.Feed({0x0D, 0x11, 0x20});
  Receive(5);
  EXPECT_EQ(t.link.state().parser.state(), ParserState::Length);
  Receive();
  EXPECT_EQ(t.link.state().parser.state(), ParserState::Start);
  EXPECT_EQ(LastTraceLine(), "<: 0D 11 20 <: TimeOut");
  // The rest of the stalled frame is noise now; the next start byte counts again.
  s.port.Feed({0x00, 0x7E, 0x0D, 0x11, 0x00, 0x00, 0x1C});
  Receive();
  EXPECT_EQ(Take(), (Bytes{0x11, 0x00, 0x00}));
}

TEST_F(Frames, MaximalFrameStaysInsideTheBuffers) {
  Bytes frame{0x0D, 0x11, cat::kRecordsAt, 0xFF};
  for (int i = 0; i < 255; ++i) frame.push_back(static_cast<std::uint8_t>(i));
  std::uint8_t x = 0;
  for (std::uint8_t b : frame) x ^= b;
  frame.push_back(x);
  s.port.Feed(frame);  // 260 bytes: more than one read may take
  Receive();
  EXPECT_EQ(t.link.state().bytesRead, 256u);
  EXPECT_FALSE(t.link.FrameReady());
  Receive();
  const Bytes got = Take();
  ASSERT_EQ(got.size(), 3u + 255u);
  EXPECT_EQ(got[3 + 254], 254);
}

TEST_F(Frames, TraceOffLeavesTheTraceWindowUntouched) {
  t.link.SetTraceOff(true);
  Send(cat::kReadStatus);
  s.port.Feed({0x0D, 0x11, 0x00, 0x00, 0x00, 0x0D, 0x11, 0x20});
  Receive(7);
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(t.trace.LineCount(), 0);
  t.link.SetTraceOff(false);
  Send(cat::kReadStatus);
  EXPECT_EQ(Trace().size(), 1u);
}

TEST_F(Frames, TraceKeepsTheLast32LinesWithTheNewestOnTop) {
  for (int i = 0; i < 33; ++i) Send(static_cast<std::uint8_t>(i));
  ASSERT_EQ(Trace().size(), 32u);
  EXPECT_EQ(Trace().front().substr(0, 12), ">: 0D 00 01 ");  // the first line was pushed out
  EXPECT_EQ(Trace().back().substr(0, 12), ">: 0D 00 20 ");
  EXPECT_EQ(t.f.ListBox1.TopIndex(), 31);
  t.f.Button2.Click();
  EXPECT_TRUE(Trace().empty());
  Send(cat::kProbe);
  EXPECT_EQ(t.f.ListBox1.TopIndex(), 0);
}

TEST_F(Frames, SessionLogKeepsEveryFrameWhateverTheTraceShows) {
  t.link.SetTraceOff(true);  // as during a storage read-out
  s.port.Feed({0x0D, 0x11, 0x00});
  Receive();
  Send(cat::kReadStatus);  // goes out while an answer is half in: that one is stale now
  s.port.Feed({0x00, 0x1C, 0x0D, 0x11, 0x00, 0x00, 0x1C, 0x0D, 0x11, 0x00, 0x00, 0x00, 0x0D, 0x11, 0x20});
  Receive();
  t.link.TakeFrame();
  Receive();
  t.link.TakeFrame();
  Receive(7);  // the bad frame, then a stall
  EXPECT_TRUE(Trace().empty());
  EXPECT_EQ(s.log.lines, (std::vector<std::string>{"<: 0D 11 00 <: сброшен перед запросом", ">: 0D 00 20 00 2D ",
                                                    "<: 0D 11 00 00 1C ", "<: 0D 11 00 00 00 bad XOR",
                                                    "<: 0D 11 20 <: TimeOut"}));

  t.link.SetTraceOff(false);
  for (int i = 0; i < 40; ++i) Send(cat::kReadStatus);
  EXPECT_EQ(Trace().size(), 32u);
  EXPECT_EQ(s.log.lines.size(), 45u) << "the log is not bounded by the window";
}

}  // namespace
}  // namespace zhv::test
