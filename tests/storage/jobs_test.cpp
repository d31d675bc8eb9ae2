// Clock setting, storage set-up and the clock divider, from the button to the
// storage status request that ends each job, against the scripted fake port.
#include "tests/storage/fixture.h"

namespace zhv::test {
namespace {

class Jobs : public StorageTest {
 protected:
  // The job ended: status requested next, nothing pending, editing unlocked again.
  void ExpectFinished() {
    EXPECT_EQ(state(), State::StorageStatus);
    EXPECT_EQ(pending(), Pending::None);
    EXPECT_TRUE(t.f.Button10221.Enabled());
    Tick();
    EXPECT_EQ(LastRequest(), (Bytes{cat::kStorageStatus}));
  }
};

TEST_F(Jobs, DateAndTimeAreSentAsTheEditsShowThemWhenTheJobRuns) {
  EnterClock("31", "02", "2021", "12", "00", "00");
  t.f.Button10221.Click();
  EXPECT_FALSE(t.f.Button10221.Enabled());  // locked
  EXPECT_EQ(pending(), Pending::Storage);
  EnterClock("31", "02", "21", "12", "00", "00");  // typed on before the job ran: this is what counts
  Tick();                                           // the idle state takes the command
  Tick();                                           // the clock request
  EXPECT_EQ(LastRequest(), (Bytes{cat::kSetClock, 31, 2, 21, 0, 12, 0, 0}));
  EXPECT_EQ(t.f.Edit10223.Text(), "0021");
  EXPECT_EQ(state(), State::AwaitClock);
  Answer(cat::kSetClock, Bytes(cat::kSetClockAnswerLen, 0));
  Tick();
  EXPECT_FALSE(jobs().clockRequested);
  ExpectFinished();
}

TEST_F(Jobs, InvalidDateIsCorrectedOnScreenAndNothingIsSentUntilPressedAgain) {
  EnterClock("00", "05", "2024", "xx", "10", "10");
  t.f.Button10221.Click();
  const std::size_t sent = Sent();
  Tick(2);
  EXPECT_EQ(Sent(), sent);
  EXPECT_EQ(t.f.Edit10221.Text(), "01");
  EXPECT_EQ(t.f.Edit10224.Text(), "01");  // not 00
  EXPECT_FALSE(jobs().clockRequested);
  EXPECT_EQ(state(), State::StorageStatus);
  EXPECT_EQ(pending(), Pending::None);
  EXPECT_TRUE(t.f.Button10221.Enabled());

  t.f.Button10221.Click();
  ASSERT_TRUE(RunUntilRequest(cat::kSetClock));
  EXPECT_EQ(LastRequest(), (Bytes{cat::kSetClock, 1, 5, 0xE8, 0x07, 1, 10, 10}));
}

TEST_F(Jobs, UnansweredClockRequestIsRepeatedWithTheEntryReadAgain) {
  EnterClock("01", "01", "2024", "00", "00", "00");
  t.f.Button10221.Click();
  Tick(2);
  ASSERT_EQ(LastCommand(), cat::kSetClock);
  const std::size_t sent = Sent();
  t.f.Edit10226.SetText("77");
  Tick(19);
  EXPECT_EQ(state(), State::AwaitClock);
  Tick();  // the 20th tick counts itself: back to the request, which reads the edits again
  EXPECT_EQ(state(), State::SetClock);
  Tick();
  EXPECT_EQ(Sent(), sent);  // 77 seconds: corrected, and the job ends unsent
  EXPECT_EQ(t.f.Edit10226.Text(), "59");
  EXPECT_EQ(state(), State::StorageStatus);
}

TEST_F(Jobs, StorageSetupSendsTheCheckBoxesAsTheyAreWhenTheRequestIsBuilt) {
  t.f.Button10230.Click();
  t.f.CheckBox10236.SetChecked(true);
  t.f.CheckBox10235.SetChecked(true);
  Tick();  // idle -> the chain's first job
  const std::size_t sent = Sent();
  Tick();  // no date/time job: on to the set-up
  EXPECT_EQ(state(), State::StorageSetup);
  EXPECT_EQ(Sent(), sent);
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{cat::kStorageSetup, cat::kSetupInitBuffer | cat::kSetupResetOverflow}));
  Answer(cat::kStorageSetup, {});
  Tick();
  EXPECT_FALSE(jobs().setupRequested);
  ExpectFinished();
}

TEST_F(Jobs, StorageSetupAcceptsEitherAnswerAndAsksAgainOnAWrongOne) {
  t.f.CheckBox10236.SetChecked(true);
  t.f.Button10230.Click();
  Tick(3);
  EXPECT_EQ(LastRequest(), (Bytes{cat::kStorageSetup, cat::kSetupInitBuffer}));
  Answer(cat::kStorageSetupAltAnswer, {1, 2});  // the alternative answer's code with a wrong length
  Tick();
  EXPECT_EQ(state(), State::StorageSetup);
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{cat::kStorageSetup, cat::kSetupInitBuffer}));
  Answer(cat::kStorageSetupAltAnswer, {1, 2, 3});
  Tick();
  ExpectFinished();
}

TEST_F(Jobs, ChainRunsTheFirstFlaggedJobAndKeepsTheNextForTheFollowingPosting) {
  EnterClock("02", "03", "2024", "04", "05", "06");
  // The handlers, as a posting over a locked tab would run them.
  t.commands.clock.SetStorageSetup();  // flags the set-up ...
  t.commands.clock.SetDateTime();      // ... and the date/time, which comes first in the chain
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastCommand(), cat::kSetClock);
  Answer(cat::kSetClock, Bytes(cat::kSetClockAnswerLen, 0));
  Tick();
  EXPECT_TRUE(jobs().setupRequested);
  ExpectFinished();
  EXPECT_FALSE(RunUntilRequest(cat::kStorageSetup, 250)) << "set-up sent without a posting";
  poll().pending = Pending::Storage;  // the next posting of the chain, whatever posted it
  EXPECT_TRUE(RunUntilRequest(cat::kStorageSetup, 150));
}

// A posting whose jobs are not flagged walks through its states to the storage
// status without a request and without touching a file.
TEST_F(Jobs, PostingWithNothingFlaggedEndsWithoutSending) {
  struct Case {
    Pending posted;
    std::vector<State> states;  // one a tick
  };
  const Case cases[] = {
      {Pending::Storage, {State::SetClock, State::StorageSetup, State::ReadOut, State::StorageStatus}},
      {Pending::ClockDivider, {State::Divider, State::StorageStatus}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.posted));
    t.f.Button1.Click();  // each from the idle state a fresh connection ends in
    ASSERT_NO_FATAL_FAILURE(ConnectStorage());
    poll().pending = c.posted;
    const std::size_t sent = Sent();
    for (State expected : c.states) {
      Tick();
      EXPECT_EQ(state(), expected);
    }
    EXPECT_EQ(Sent(), sent);
    EXPECT_EQ(pending(), Pending::None);
    EXPECT_EQ(s.file.opens, 0);
    EXPECT_EQ(t.f.Panel1030.Text(), "");
  }
}

TEST_F(Jobs, DividerReadShowsTheUnitsValueWithFourDigits) {
  t.f.Edit1024.SetText("9000");
  t.f.Button10242.Click();
  EXPECT_FALSE(t.f.Button10242.Enabled());
  EXPECT_FALSE(t.f.Button10241.Enabled());
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kClockDivider, 0x00, 0x00}));
  Tick(25);  // unanswered: asked again, "Обновить" still off
  EXPECT_EQ(LastRequest(), (Bytes{cat::kClockDivider, 0x00, 0x00}));
  EXPECT_FALSE(t.f.Button10242.Enabled());
  Answer(cat::kClockDivider, {0xF3, 0x03});  // 1011
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(t.f.Edit1024.Text(), "1011");
  EXPECT_TRUE(t.f.Button10242.Enabled());
  EXPECT_FALSE(jobs().dividerRead || jobs().dividerWrite);
  EXPECT_EQ(LastRequest(), (Bytes{cat::kStorageStatus}));
}

TEST_F(Jobs, DividerEntryIsClampedNeverRefused) {
  struct Case {
    const char* typed;
    const char* shown;
    Bytes sent;
  };
  const Case cases[] = {
      {"5000", "6300", {cat::kClockDivider, 0x9C, 0x18}},
      {"12345", "9999", {cat::kClockDivider, 0x0F, 0x27}},
      {"abc", "6300", {cat::kClockDivider, 0x9C, 0x18}},
      {"8192", "8192", {cat::kClockDivider, 0x00, 0x20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    t.f.Edit1024.SetText(c.typed);
    t.f.Button10241.Click();
    EXPECT_EQ(t.f.Edit1024.Text(), c.shown);
    EXPECT_FALSE(t.f.Button10242.Enabled());
    ASSERT_TRUE(RunUntilRequest(cat::kClockDivider, 120));
    EXPECT_EQ(LastRequest(), c.sent);
    Answer(cat::kClockDivider, {c.sent[1], c.sent[2]});
    Tick();
    EXPECT_TRUE(t.f.Button10242.Enabled());
    EXPECT_EQ(pending(), Pending::None);
  }
}

TEST_F(Jobs, PcClockFillsTheEntryWithTwoOrFourDigitYears) {
  s.clock.now = {2024, 5, 7, 3, 4, 9};
  t.f.Button10223.Click();
  EXPECT_EQ(t.f.Edit10221.Text(), "07");
  EXPECT_EQ(t.f.Edit10222.Text(), "05");
  EXPECT_EQ(t.f.Edit10223.Text(), "2024");
  EXPECT_EQ(t.f.Edit10224.Text(), "03");
  EXPECT_EQ(t.f.Edit10225.Text(), "04");
  EXPECT_EQ(t.f.Edit10226.Text(), "09");
  poll().unit.version = 0;  // a unit that reports no software version
  t.f.Button10223.Click();
  EXPECT_EQ(t.f.Edit10223.Text(), "24");
  EXPECT_EQ(pending(), Pending::None);
}

TEST_F(Jobs, UnitClockIsCopiedAsShown) {
  const char* shown[] = {"17", "05", "2024", "13", "45", "0x"};
  Control* from[] = {&t.f.Edit10121, &t.f.Edit10122, &t.f.Edit10123, &t.f.Edit10124, &t.f.Edit10125, &t.f.Edit10126};
  for (int i = 0; i < 6; ++i) from[i]->SetText(shown[i]);
  t.f.Button10222.Click();
  EXPECT_EQ(t.f.Edit10221.Text(), "17");
  EXPECT_EQ(t.f.Edit10223.Text(), "2024");
  EXPECT_EQ(t.f.Edit10226.Text(), "0x");
  EXPECT_EQ(pending(), Pending::None);
}

TEST_F(Jobs, LostConnectionLeavesNoJobForTheNextUnitAndGivesUpdateBack) {
  t.f.Button10242.Click();
  jobs().clockRequested = true;
  jobs().setupRequested = true;
  s.port.lost();
  Tick();
  EXPECT_TRUE(t.f.Button10242.Enabled());
  EXPECT_FALSE(jobs().clockRequested || jobs().setupRequested || jobs().dividerRead || jobs().dividerWrite);
}

}  // namespace
}  // namespace zhv::test
