// Clock setting, storage set-up and the clock divider, from the button to the
// storage status request that ends each job, against the scripted fake port.
#include "commands/clock.h"
#include "exchange/storage_jobs.h"
#include "tests/storage/fixture.h"

namespace zhv::test {
namespace {

struct Jobs : FakeUnit {
  void EnterClock(const char* day, const char* month, const char* year, const char* hour, const char* minute,
                  const char* second) {
    t.f.Edit10221.SetText(day);
    t.f.Edit10222.SetText(month);
    t.f.Edit10223.SetText(year);
    t.f.Edit10224.SetText(hour);
    t.f.Edit10225.SetText(minute);
    t.f.Edit10226.SetText(second);
  }
  // The job ended: status requested next, nothing pending, editing unlocked again.
  void ExpectFinished() {
    EXPECT_EQ(t.r.state, 19);
    EXPECT_EQ(t.r.pending, 0);
    EXPECT_TRUE(t.f.Button10221.Enabled());
    Tick();
    EXPECT_EQ(LastRequest(), (Bytes{0x4C}));
  }
};

TEST_F(Jobs, DateAndTimeAreSentAsTheEditsShowThemWhenTheJobRuns) {
  EnterClock("31", "02", "2021", "12", "00", "00");
  t.f.Button10221.Click();
  EXPECT_FALSE(t.f.Button10221.Enabled());  // locked
  EXPECT_EQ(t.r.pending, 22);
  EnterClock("31", "02", "21", "12", "00", "00");  // typed on before the job ran: this is what counts
  Tick();                                           // state 6 takes the command
  Tick();                                           // state 22
  EXPECT_EQ(LastRequest(), (Bytes{0x58, 31, 2, 21, 0, 12, 0, 0}));
  EXPECT_EQ(t.f.Edit10223.Text(), "0021");
  EXPECT_EQ(t.r.state, 23);
  Answer(0x58, Bytes(8, 0));
  Tick();
  EXPECT_EQ(t.r.clockSetFlags, 0);
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
  EXPECT_EQ(t.r.clockSetFlags, 0);
  EXPECT_EQ(t.r.state, 19);
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_TRUE(t.f.Button10221.Enabled());

  t.f.Button10221.Click();
  ASSERT_TRUE(RunUntilRequest(0x58));
  EXPECT_EQ(LastRequest(), (Bytes{0x58, 1, 5, 0xE8, 0x07, 1, 10, 10}));
}

TEST_F(Jobs, UnansweredClockRequestIsRepeatedWithTheEntryReadAgain) {
  EnterClock("01", "01", "2024", "00", "00", "00");
  t.f.Button10221.Click();
  Tick(2);
  ASSERT_EQ(LastRequest()[0], 0x58);
  const std::size_t sent = Sent();
  t.f.Edit10226.SetText("77");
  Tick(19);
  EXPECT_EQ(t.r.state, 23);
  Tick();  // the 20th tick counts itself: back to 22, which reads the edits again
  EXPECT_EQ(t.r.state, 22);
  Tick();
  EXPECT_EQ(Sent(), sent);  // 77 seconds: corrected, and the job ends unsent
  EXPECT_EQ(t.f.Edit10226.Text(), "59");
  EXPECT_EQ(t.r.state, 19);
}

TEST_F(Jobs, StorageSetupSendsTheCheckBoxesAsTheyAreWhenTheRequestIsBuilt) {
  t.f.Button10230.Click();
  t.f.CheckBox10236.SetChecked(true);
  t.f.CheckBox10235.SetChecked(true);
  Tick();  // 6 -> 22
  const std::size_t sent = Sent();
  Tick();  // 22: no date/time job -> 24
  EXPECT_EQ(t.r.state, 24);
  EXPECT_EQ(Sent(), sent);
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{0x5C, 0x60}));
  Answer(0x5C, {});
  Tick();
  EXPECT_EQ(t.r.storageSetupFlags, 0);
  ExpectFinished();
}

TEST_F(Jobs, StorageSetupAcceptsEitherAnswerAndAsksAgainOnAWrongOne) {
  t.f.CheckBox10236.SetChecked(true);
  t.f.Button10230.Click();
  Tick(3);
  EXPECT_EQ(LastRequest(), (Bytes{0x5C, 0x40}));
  Answer(0x0E, {1, 2});  // the alternative answer's code with a wrong length
  Tick();
  EXPECT_EQ(t.r.state, 24);
  Tick();
  EXPECT_EQ(LastRequest(), (Bytes{0x5C, 0x40}));
  Answer(0x0E, {1, 2, 3});
  Tick();
  ExpectFinished();
}

TEST_F(Jobs, ChainRunsTheFirstFlaggedJobAndKeepsTheNextForTheFollowingPosting) {
  EnterClock("02", "03", "2024", "04", "05", "06");
  Button10230Click(t);  // flags the set-up ...
  Button10221Click(t);  // ... and the date/time, which comes first in the chain
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest()[0], 0x58);
  Answer(0x58, Bytes(8, 0));
  Tick();
  EXPECT_EQ(t.r.storageSetupFlags, 1);
  ExpectFinished();
  EXPECT_FALSE(RunUntilRequest(0x5C, 250)) << "set-up sent without a posting";
  t.r.pending = 22;  // the next posting of the chain, whatever posted it
  EXPECT_TRUE(RunUntilRequest(0x5C, 150));
}

TEST_F(Jobs, ChainWithNothingFlaggedEndsInThreeTicksWithoutTouchingAFile) {
  t.r.pending = 22;
  Tick();  // 6 -> 22
  const std::size_t sent = Sent();
  Tick();
  EXPECT_EQ(t.r.state, 24);
  Tick();
  EXPECT_EQ(t.r.state, 26);
  Tick();
  EXPECT_EQ(t.r.state, 19);
  EXPECT_EQ(Sent(), sent);
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_EQ(s.file.opens, 0);
  EXPECT_EQ(t.f.Panel1030.Text(), "");
}

TEST_F(Jobs, DividerReadShowsTheUnitsValueWithFourDigits) {
  t.f.Edit1024.SetText("9000");
  t.f.Button10242.Click();
  EXPECT_FALSE(t.f.Button10242.Enabled());
  EXPECT_FALSE(t.f.Button10241.Enabled());
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{0x38, 0x00, 0x00}));
  Tick(25);  // unanswered: asked again, "Обновить" still off
  EXPECT_EQ(LastRequest(), (Bytes{0x38, 0x00, 0x00}));
  EXPECT_FALSE(t.f.Button10242.Enabled());
  Answer(0x38, {0xF3, 0x03});  // 1011
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(t.f.Edit1024.Text(), "1011");
  EXPECT_TRUE(t.f.Button10242.Enabled());
  EXPECT_EQ(t.r.dividerFlags, 0);
  EXPECT_EQ(LastRequest(), (Bytes{0x4C}));
}

TEST_F(Jobs, DividerEntryIsClampedNeverRefused) {
  struct Case {
    const char* typed;
    const char* shown;
    Bytes sent;
  };
  const Case cases[] = {
      {"5000", "6300", {0x38, 0x9C, 0x18}},
      {"12345", "9999", {0x38, 0x0F, 0x27}},
      {"abc", "6300", {0x38, 0x9C, 0x18}},
      {"8192", "8192", {0x38, 0x00, 0x20}},
  };
  for (const Case& c : cases) {
    t.f.Edit1024.SetText(c.typed);
    t.f.Button10241.Click();
    EXPECT_EQ(t.f.Edit1024.Text(), c.shown);
    EXPECT_FALSE(t.f.Button10242.Enabled());
    ASSERT_TRUE(RunUntilRequest(0x38, 120)) << c.typed;
    EXPECT_EQ(LastRequest(), c.sent) << c.typed;
    Answer(0x38, {c.sent[1], c.sent[2]});
    Tick();
    EXPECT_TRUE(t.f.Button10242.Enabled());
    EXPECT_EQ(t.r.pending, 0);
  }
}

TEST_F(Jobs, PendingDividerWithNoFlagEndsAtOnce) {
  t.r.pending = 34;
  Tick(2);
  EXPECT_EQ(t.r.state, 19);
  EXPECT_EQ(t.r.pending, 0);
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
  t.r.identValue = 0;
  t.f.Button10223.Click();
  EXPECT_EQ(t.f.Edit10223.Text(), "24");
  EXPECT_EQ(t.r.pending, 0);
}

TEST_F(Jobs, UnitClockIsCopiedAsShown) {
  const char* shown[] = {"17", "05", "2024", "13", "45", "0x"};
  Control* from[] = {&t.f.Edit10121, &t.f.Edit10122, &t.f.Edit10123, &t.f.Edit10124, &t.f.Edit10125, &t.f.Edit10126};
  for (int i = 0; i < 6; ++i) from[i]->SetText(shown[i]);
  t.f.Button10222.Click();
  EXPECT_EQ(t.f.Edit10221.Text(), "17");
  EXPECT_EQ(t.f.Edit10223.Text(), "2024");
  EXPECT_EQ(t.f.Edit10226.Text(), "0x");
  EXPECT_EQ(t.r.pending, 0);
}

TEST_F(Jobs, LostConnectionLeavesNoJobForTheNextUnitAndGivesUpdateBack) {
  t.f.Button10242.Click();
  t.r.clockSetFlags = 1;
  t.r.storageSetupFlags = 1;
  s.port.lost();
  Tick();
  EXPECT_TRUE(t.f.Button10242.Enabled());
  EXPECT_EQ(t.r.clockSetFlags | t.r.storageSetupFlags | t.r.dividerFlags, 0);
}

}  // namespace
}  // namespace zhv::test
