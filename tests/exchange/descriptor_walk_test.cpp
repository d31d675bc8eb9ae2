// Every wait of the machine's descriptor tables, reached as the tool reaches
// it, and answered rightly, wrongly, or not at all. A wrong answer or 20 silent
// ticks must bring the very request that led to the wait back onto the wire
// (but an acknowledgement, which frees a block, is never repeated: the next
// block is asked for): that is judged from the wire, never from the row's own fallback.
#include <algorithm>
#include <set>

#include "exchange/steps.h"
#include "fixture.h"

namespace zhv::test {
namespace {

constexpr std::uint16_t kYear = 2021;  // of the storage status: a read-out needs one

// How a wait is reached, and a right answer to it. Waits reached while
// connecting need nothing posted; the others need their command posted once
// the machine idles.
struct Route {
  const char* name;
  State wait;
  State sender;             // the state whose request leads to the wait
  void (*post)(Tool&);      // null: reached on the way to the first idle poll
  std::uint8_t command;     // the right answer
  Bytes data;
  Bytes instead = {};       // asked instead of the leading request, if not that
};

void Post(Tool& t, Pending p, std::uint8_t argument = 0) {
  t.exchange.poll.commandArg = argument;
  t.exchange.poll.pending = p;
}
// A read-out of two records into an open export file: one block is answered, one is left.
void PostReadOut(Tool& t, bool addressed) {
  ReadOutJob& r = t.exchange.jobs.readOut;
  r.requested = true;
  r.addressed = addressed;
  r.recordsRequested = 2;
  t.exchange.jobs.referenceYear = kYear;
  t.exchange.jobs.referenceYearKnown = true;
  ASSERT_TRUE(t.readOut.exportFile.Open("walk.csv", false));
  ASSERT_TRUE(t.readOut.exportFile.Start(Layout::Spreadsheet));
  Post(t, Pending::Storage);
}
// A records frame with one record: its count, its address, its 16 bytes.
Bytes OneRecord() {
  Bytes d{1, 0x00, 0x00, 0x00, 0x00};
  d.resize(d.size() + 16, 0x01);
  return d;
}

#define WAIT(s) #s, State::s
const Route kRoutes[] = {
    {WAIT(AwaitIdentify), State::Identify, nullptr, cat::kUnitControl, IdentificationData(0x03, cat::kGasCombined)},
    {WAIT(AwaitParams), State::ReadParams, nullptr, cat::kReadParams, Bytes(cat::kParamsAnswerLen, 0)},
    {WAIT(AwaitStatus), State::StatusIdle, nullptr, cat::kReadStatus, StatusData(0x03)},
    {WAIT(AwaitStorageStatus), State::StorageStatus, nullptr, cat::kStorageStatus,
     StorageStatusData(kYear)},
    {WAIT(AwaitRestart), State::UnitControl, [](Tool& t) { Post(t, Pending::UnitControl, cat::kArgRestart); },
     cat::kUnitControl, IdentificationData(0x00, cat::kGasCombined)},
    {WAIT(AwaitUsbOn), State::UnitControl, [](Tool& t) { Post(t, Pending::UnitControl, cat::kArgUsbOn); },
     cat::kUnitControl, IdentificationData(0x03, cat::kGasCombined)},
    {WAIT(AwaitUsbOff), State::UnitControl, [](Tool& t) { Post(t, Pending::UnitControl, cat::kArgUsbOff); },
     cat::kUnitControl, IdentificationData(0x02, cat::kGasCombined)},
    {WAIT(AwaitWord), State::WriteWord,
     [](Tool& t) {
       t.exchange.poll.paramOffset = param::Offset(param::kPeriodNormal.word);
       Post(t, Pending::WriteWord);
     },
     cat::kWriteWord, {0x2C, 0x01, param::kPeriodNormal.word}},
    {WAIT(AwaitSupply), State::SetSupply, [](Tool& t) { Post(t, Pending::SetSupply); }, cat::kSupplyAnswer,
     {0xF4, 0x01, 0x00}},
    {WAIT(AwaitCalibration), State::Calibrate, [](Tool& t) { Post(t, Pending::Calibrate, cat::kOpZero1); },
     cat::kCalibrate, {cat::kOpZero1, 0x00, 0x39, 0x05}},
    {WAIT(AwaitEeprom), State::RewriteEeprom, [](Tool& t) { Post(t, Pending::RewriteEeprom); }, cat::kRewriteEeprom,
     {0x00}},
    {WAIT(AwaitClock), State::SetClock,
     [](Tool& t) {
       for (auto [edit, text] : {std::pair{&t.f.Edit10221, "17"}, {&t.f.Edit10222, "05"}, {&t.f.Edit10223, "2024"},
                                 {&t.f.Edit10224, "13"}, {&t.f.Edit10225, "45"}, {&t.f.Edit10226, "09"}})
         edit->SetText(text);
       t.exchange.jobs.clockRequested = true;
       Post(t, Pending::Storage);
     },
     cat::kSetClock, Bytes(cat::kSetClockAnswerLen, 0)},
    {WAIT(AwaitSetup), State::StorageSetup,
     [](Tool& t) {
       t.exchange.jobs.setupRequested = true;
       Post(t, Pending::Storage);
     },
     cat::kStorageSetup, {}},
    {WAIT(AwaitReadAt), State::ReadOut, [](Tool& t) { PostReadOut(t, true); }, cat::kReadAt, {1}},
    {WAIT(AwaitRecordsAt), State::ReadOut, [](Tool& t) { PostReadOut(t, true); }, cat::kRecordsAt, OneRecord()},
    {WAIT(AwaitReadNext), State::ReadOut, [](Tool& t) { PostReadOut(t, false); }, cat::kReadNext, {1}},
    {WAIT(AwaitRecordsNext), State::ReadOut, [](Tool& t) { PostReadOut(t, false); }, cat::kRecordsNext,
     OneRecord()},
    {WAIT(AwaitAck), State::AckBlock, [](Tool& t) { PostReadOut(t, false); }, cat::kAckBlock, {}, {cat::kReadNext}},
    {WAIT(AwaitDivider), State::Divider,
     [](Tool& t) {
       t.exchange.jobs.dividerRead = true;
       Post(t, Pending::ClockDivider);
     },
     cat::kClockDivider, {0x10, 0x27}},
};
#undef WAIT

const Route* RouteTo(State wait) {
  for (const Route& r : kRoutes)
    if (r.wait == wait) return &r;
  return nullptr;
}

TEST(DescriptorTables, EveryWaitHasARouteAndEveryRequestLeadsToOne) {
  std::set<State> waits, senders;
  for (auto rows : {BaseAwaits(), StorageAwaits()})
    for (const Await& a : rows) {
      waits.insert(a.state);
      EXPECT_TRUE(RouteTo(a.state)) << "no route to wait " << static_cast<int>(a.state);
    }
  for (const Route& r : kRoutes) {
    EXPECT_TRUE(waits.count(r.wait)) << r.name << " is no wait of the tables";
    senders.insert(r.sender);
  }
  for (auto rows : {BaseRequests(), StorageRequests()})
    for (const Request& q : rows) EXPECT_TRUE(senders.count(q.state)) << "request " << int(q.command) << " is never walked";
}

enum class Reply { Right, Wrong, Unanswered };

struct DescriptorWalk : ToolTest, ::testing::WithParamInterface<std::tuple<std::size_t, Reply>> {
  const Route& route = kRoutes[std::get<0>(GetParam())];
  Bytes leading;  // the request that led to the wait
  State sender = State::Identify;

  // Ticks until the machine is in `target`, answering every other wait it is
  // in or enters with that wait's right answer.
  bool RunTo(State target, int limit = 300) {
    if (state() == target) return true;
    if (const Route* r = RouteTo(state())) Answer(r->command, r->data);
    for (int i = 0; i < limit; ++i) {
      const State before = state();
      const std::size_t sent = Sent();
      Tick();
      if (Sent() > sent) sender = before;
      if (state() == target) return true;
      if (state() == before) continue;
      if (const Route* r = RouteTo(state())) Answer(r->command, r->data);
    }
    return false;
  }
  void Reach() {
    Identify(cat::kTypeStorage);
    if (route.post) {
      ASSERT_TRUE(RunTo(State::Idle));
      ASSERT_NO_FATAL_FAILURE(route.post(t));
    }
    ASSERT_TRUE(RunTo(route.wait)) << "never reached";
    ASSERT_GT(Sent(), 0u);
    leading = LastRequest();
    ASSERT_EQ(sender, route.sender) << "reached by another request";
  }
  // The next tick sends the leading request again.
  void ExpectAskedAgainOnTheNextTick() {
    const std::size_t sent = Sent();
    Tick();
    ASSERT_EQ(Sent(), sent + 1) << "not asked again on the next tick";
    EXPECT_EQ(LastRequest(), route.instead.empty() ? leading : route.instead);
  }
};

TEST_P(DescriptorWalk, RequestIsMadeAgainUnlessRightlyAnswered) {
  ASSERT_NO_FATAL_FAILURE(Reach());
  switch (std::get<1>(GetParam())) {
    case Reply::Right: {
      Answer(route.command, route.data);
      Tick();
      EXPECT_NE(state(), route.wait) << "the right answer was not taken";
      const std::size_t sent = Sent();
      Tick();
      if (Sent() > sent) {
        EXPECT_NE(LastRequest(), leading) << "asked again after a right answer";
      }
      break;
    }
    case Reply::Wrong: {
      // Another command; and the right command one byte short (one byte where
      // none is due), never longer than a block header, so that even a records
      // frame, which may run long, falls short of a record.
      const Bytes cut = route.data.empty() ? Bytes{0x00}
                                           : Bytes(route.data.begin(),
                                                   route.data.begin() + std::min<std::size_t>(route.data.size() - 1, 5));
      const std::pair<std::uint8_t, Bytes> wrong[] = {{route.command ^ 0x01, route.data}, {route.command, cut}};
      for (const auto& [command, data] : wrong) {
        SCOPED_TRACE(testing::Message() << "answer " << int(command) << " of " << data.size() << " bytes");
        const int counter = poll().packetCounter;
        Answer(command, data);
        Tick();
        ASSERT_NO_FATAL_FAILURE(ExpectAskedAgainOnTheNextTick());
        EXPECT_EQ(poll().packetCounter, counter) << "a wrong answer was counted";
        ASSERT_TRUE(RunTo(route.wait)) << "not back in the wait";
      }
      break;
    }
    case Reply::Unanswered: {
      const std::size_t sent = Sent();
      Tick(kResponseTimeoutTicks);
      EXPECT_EQ(Sent(), sent) << "asked again before 20 ticks";
      ExpectAskedAgainOnTheNextTick();
      break;
    }
  }
}

std::string CaseName(const ::testing::TestParamInfo<DescriptorWalk::ParamType>& info) {
  const auto [route, reply] = info.param;
  return std::string(kRoutes[route].name) +
         (reply == Reply::Right ? "_Right" : reply == Reply::Wrong ? "_Wrong" : "_Unanswered");
}

INSTANTIATE_TEST_SUITE_P(Waits, DescriptorWalk,
                         ::testing::Combine(::testing::Range<std::size_t>(0, std::size(kRoutes)),
                                            ::testing::Values(Reply::Right, Reply::Wrong, Reply::Unanswered)),
                         CaseName);

}  // namespace
}  // namespace zhv::test
