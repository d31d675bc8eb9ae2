// The date and time entry of the storage tab, checked when the clock job runs:
// every field is held to its range and shown corrected.
#include <array>
#include <string>
#include <vector>

#include "fixture.h"

namespace zhv {
namespace {

class ClockEntryTest : public test::ToolTest {
 protected:
  ClockEntry Enter(const char* day, const char* month, const char* year, const char* hour, const char* minute,
                   const char* second) {
    EnterClock(day, month, year, hour, minute, second);
    return t.commands.clock.ReadClockEntry();
  }
  std::vector<std::string> Shown() {
    return {t.f.Edit10221.Text(), t.f.Edit10222.Text(), t.f.Edit10223.Text(),
            t.f.Edit10224.Text(), t.f.Edit10225.Text(), t.f.Edit10226.Text()};
  }
  using Payload = std::array<std::uint8_t, 7>;
};

TEST_F(ClockEntryTest, ValidEntryBuildsThePayload) {
  jobs().clockRequested = true;
  const ClockEntry entry = Enter("5", "3", "2024", "7", "8", "9");
  EXPECT_TRUE(entry.valid);
  EXPECT_TRUE(jobs().clockRequested) << "reading the entry leaves the request standing";
  EXPECT_EQ(entry.payload, (Payload{5, 3, 0xE8, 0x07, 7, 8, 9}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"05", "03", "2024", "07", "08", "09"}));
}

TEST_F(ClockEntryTest, EachInvalidFieldIsCorrectedOnScreen) {
  struct Case {
    const char* fields[6];
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {{"32", "1", "2024", "0", "0", "0"}, {"31", "01", "2024", "00", "00", "00"}},
      {{"1", "0", "2024", "0", "0", "0"}, {"01", "01", "2024", "00", "00", "00"}},
      {{"1", "1", "2024", "", "0", "0"}, {"01", "01", "2024", "01", "00", "00"}},
      {{"1", "1", "2024", "0", "75", "0"}, {"01", "01", "2024", "00", "59", "00"}},
      {{"1", "1", "0", "0", "0", "60"}, {"01", "01", "0001", "00", "00", "59"}},
      {{"1", "1", "10000", "24", "0", "-1"}, {"01", "01", "9999", "23", "00", "00"}},
      {{"x", "13", "20a4", "0", "0", "0"}, {"01", "12", "0001", "00", "00", "00"}},
  };
  for (const auto& c : cases) {
    const ClockEntry entry = Enter(c.fields[0], c.fields[1], c.fields[2], c.fields[3], c.fields[4], c.fields[5]);
    SCOPED_TRACE(testing::Message() << c.fields[0] << '/' << c.fields[1] << '/' << c.fields[2] << ' ' << c.fields[3]
                                    << ':' << c.fields[4] << ':' << c.fields[5]);
    EXPECT_FALSE(entry.valid);
    EXPECT_EQ(Shown(), c.shown);
  }
}

TEST_F(ClockEntryTest, DayAndMonthAreNotCheckedAgainstEachOther) {
  const ClockEntry entry = Enter("31", "2", "2023", "23", "59", "59");
  EXPECT_TRUE(entry.valid);
  EXPECT_EQ(entry.payload, (Payload{31, 2, 0xE7, 0x07, 23, 59, 59}));
}

TEST_F(ClockEntryTest, CorrectedValuesAreWhatThePayloadHolds) {
  const ClockEntry entry = Enter("32", "0", "99999", "", "75", "0");
  EXPECT_FALSE(entry.valid);
  EXPECT_EQ(entry.payload, (Payload{31, 1, 0x0F, 0x27, 1, 59, 0}));
}

}  // namespace
}  // namespace zhv
