#include <string>
#include <vector>

#include "tool_fixture.h"

namespace zhv {
namespace {

class StorageStatus : public DecoderTest {
 protected:
  std::vector<Control*> Panels() {
    return {&t.f.Panel10110, &t.f.Panel10111, &t.f.Panel10112,
            &t.f.Panel10115, &t.f.Panel10116, &t.f.Panel10117};
  }
  void Scribble(const std::vector<Control*>& controls) {
    for (Control* c : controls) c->SetText("scribbled");
  }
  const std::vector<std::string> clearTexts{
      "RealTimeClock норма",    "Дата/время в норме",        "Была установка даты/время",
      "Буфер хранения в норме", "Была инициализации буфера", "CRC буфера хранения в норме"};
};

TEST_F(StorageStatus, FlagPanelsSetAndClear) {
  Data({{0, 0xE7}});
  ShowStorageStatus(t);
  const std::pair<Control*, std::pair<const char*, TColor>> set[] = {
      {&t.f.Panel10110, {"RealTimeClock неисправна", clr::Red}},
      {&t.f.Panel10111, {"Сбой даты/времени", clr::Yellow}},
      {&t.f.Panel10112, {"Не было установки даты/время", clr::Yellow}},
      {&t.f.Panel10115, {"Переполнение буфера хранения", clr::Olive}},
      {&t.f.Panel10116, {"Не было инициализации буфера", clr::Yellow}},
      {&t.f.Panel10117, {"Сбой CRC буфера хранения", clr::Yellow}},
  };
  for (const auto& [panel, look] : set) {
    EXPECT_EQ(panel->Text(), look.first) << panel->Name();
    EXPECT_EQ(panel->Colour(), look.second) << panel->Name();
  }
  for (Control* e : {&t.f.Edit10110, &t.f.Edit10111, &t.f.Edit10112, &t.f.Edit10115,
                     &t.f.Edit10116, &t.f.Edit10117})
    EXPECT_EQ(e->Text(), "1") << e->Name();

  Data({{0, 0x00}});
  ShowStorageStatus(t);
  const auto panels = Panels();
  for (std::size_t i = 0; i < panels.size(); ++i) {
    EXPECT_EQ(panels[i]->Text(), clearTexts[i]) << panels[i]->Name();
    EXPECT_EQ(panels[i]->Colour(), clr::BtnFace) << panels[i]->Name();
  }
  EXPECT_EQ(t.f.Edit10117.Text(), "0");
  EXPECT_EQ(t.f.Panel10113.Text(), "");  // bits 3 and 4 have no panel text
}

TEST_F(StorageStatus, EqualFlagsAreNotRepainted) {
  Data({{0, 0x01}});
  ShowStorageStatus(t);
  Scribble(Panels());
  ShowStorageStatus(t);
  for (Control* p : Panels()) EXPECT_EQ(p->Text(), "scribbled") << p->Name();
}

TEST_F(StorageStatus, UnshownBitsAreRememberedSoTheNextChangeRepaints) {
  Data({{0, 0x18}});
  ShowStorageStatus(t);
  const auto panels = Panels();
  for (std::size_t i = 0; i < panels.size(); ++i) EXPECT_EQ(panels[i]->Text(), clearTexts[i]);

  Scribble(panels);
  Data({{0, 0x00}});
  ShowStorageStatus(t);
  for (std::size_t i = 0; i < panels.size(); ++i) EXPECT_EQ(panels[i]->Text(), clearTexts[i]);
}

TEST_F(StorageStatus, CurrentDateAndTimeOnEveryValidResponse) {
  Data({{1, 0x01}, {2, 7}, {3, 3}, {4, 0xE8}, {5, 0x07}, {6, 9}, {7, 5}, {8, 59}});
  ShowStorageStatus(t);
  const std::vector<Control*> fields{&t.f.Edit10121, &t.f.Edit10122, &t.f.Edit10123,
                                     &t.f.Edit10124, &t.f.Edit10125, &t.f.Edit10126};
  const std::vector<std::string> shown{"07", "03", "2024", "09", "05", "59"};
  for (std::size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i]->Text(), shown[i]);

  Scribble(fields);  // an equal response still rewrites them
  ShowStorageStatus(t);
  for (std::size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i]->Text(), shown[i]);

  Data({{1, 0xFE}, {2, 31}});  // bit 0 clear: the fields keep their texts
  ShowStorageStatus(t);
  for (std::size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i]->Text(), shown[i]);
}

TEST_F(StorageStatus, BufferStateAndParameters) {
  Data({{10, 0xE4}, {11, 0x07},                          // reference year 2020
        {12, 0x02}, {13, 0x01},                          // 258 records
        {14, 0x00}, {15, 0xB0}, {16, 0x00}, {17, 0x08},  // write pointer
        {18, 0x0F}, {19, 0xB1}, {20, 0x00}, {21, 0x08},  // read pointer
        {22, 0x5F}, {23, 0x8A}, {24, 0x84}, {25, 0x10},  // initialised at
        {26, 0x10}, {27, 0x27},                          // 10000 records at most
        {28, 0x00}, {29, 0x00}, {30, 0xA0}, {31, 0x0C}});
  ShowStorageStatus(t);
  EXPECT_EQ(t.r.referenceYear, 2020);
  EXPECT_EQ(t.f.Edit10141.Text(), "258");
  EXPECT_EQ(t.f.Edit10142.Text(), "0800B000");
  EXPECT_EQ(t.f.Edit10143.Text(), "0800B10F");
  EXPECT_EQ(t.f.Edit10131.Text(), "02");
  EXPECT_EQ(t.f.Edit10132.Text(), "02");
  EXPECT_EQ(t.f.Edit10133.Text(), "0024");
  EXPECT_EQ(t.f.Edit10134.Text(), "08");
  EXPECT_EQ(t.f.Edit10135.Text(), "41");
  EXPECT_EQ(t.f.Edit10136.Text(), "31");
  EXPECT_EQ(t.f.Edit10137.Text(), "10000");
  EXPECT_EQ(t.f.Edit10138.Text(), "0CA00000");
}

TEST_F(StorageStatus, BufferFieldsRepaintOnlyWhenTheirBytesChange) {
  Data({{12, 5}, {26, 9}});
  ShowStorageStatus(t);
  const std::vector<Control*> state{&t.f.Edit10141, &t.f.Edit10142, &t.f.Edit10143};
  const std::vector<Control*> params{&t.f.Edit10131, &t.f.Edit10137, &t.f.Edit10138};
  Scribble(state);
  Scribble(params);
  ShowStorageStatus(t);
  for (Control* c : state) EXPECT_EQ(c->Text(), "scribbled") << c->Name();
  for (Control* c : params) EXPECT_EQ(c->Text(), "scribbled") << c->Name();

  Data({{21, 0x01}});  // last byte of the read pointer
  ShowStorageStatus(t);
  EXPECT_EQ(t.f.Edit10141.Text(), "5");
  EXPECT_EQ(t.f.Edit10143.Text(), "01000000");
  for (Control* c : params) EXPECT_EQ(c->Text(), "scribbled") << c->Name();

  Data({{31, 0x01}});  // last byte of the start address
  ShowStorageStatus(t);
  EXPECT_EQ(t.f.Edit10137.Text(), "9");
  EXPECT_EQ(t.f.Edit10138.Text(), "01000000");
}

TEST_F(StorageStatus, AllZeroFirstResponseLeavesTheDesignedTexts) {
  // The last-shown copies start at zero, so nothing differs.
  const std::string count = t.f.Edit10141.Text();
  const std::string start = t.f.Edit10138.Text();
  ShowStorageStatus(t);
  EXPECT_EQ(t.f.Edit10141.Text(), count);
  EXPECT_EQ(t.f.Edit10138.Text(), start);
  EXPECT_EQ(t.f.Panel10110.Text(), "RealTimeClock норма");
}

// --- clock entry

class ClockEntry : public DecoderTest {
 protected:
  void Enter(const char* day, const char* month, const char* year, const char* hour,
             const char* minute, const char* second) {
    t.f.Edit10221.SetText(day);
    t.f.Edit10222.SetText(month);
    t.f.Edit10223.SetText(year);
    t.f.Edit10224.SetText(hour);
    t.f.Edit10225.SetText(minute);
    t.f.Edit10226.SetText(second);
    ReadClockEntry(t);
  }
  std::vector<std::string> Shown() {
    return {t.f.Edit10221.Text(), t.f.Edit10222.Text(), t.f.Edit10223.Text(),
            t.f.Edit10224.Text(), t.f.Edit10225.Text(), t.f.Edit10226.Text()};
  }
  bool Invalid() const { return t.r.clockSetFlags & 0x02; }
};

TEST_F(ClockEntry, ValidEntryBuildsThePayload) {
  t.r.clockSetFlags = 0x03;  // a stale invalid mark is cleared, the request bit kept
  Enter("5", "3", "2024", "7", "8", "9");
  EXPECT_FALSE(Invalid());
  EXPECT_EQ(t.r.clockSetFlags & 0x01, 0x01);
  EXPECT_EQ(t.r.clockPayload, (std::array<std::uint8_t, 7>{5, 3, 0xE8, 0x07, 7, 8, 9}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"05", "03", "2024", "07", "08", "09"}));
}

TEST_F(ClockEntry, EachInvalidFieldIsCorrectedOnScreen) {
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
    t.r.clockSetFlags = 0x01;
    Enter(c.fields[0], c.fields[1], c.fields[2], c.fields[3], c.fields[4], c.fields[5]);
    SCOPED_TRACE(testing::Message() << c.fields[0] << '/' << c.fields[1] << '/' << c.fields[2]
                                    << ' ' << c.fields[3] << ':' << c.fields[4] << ':' << c.fields[5]);
    EXPECT_TRUE(Invalid());
    EXPECT_EQ(Shown(), c.shown);
  }
}

TEST_F(ClockEntry, DayAndMonthAreNotCheckedAgainstEachOther) {
  Enter("31", "2", "2023", "23", "59", "59");
  EXPECT_FALSE(Invalid());
  EXPECT_EQ(t.r.clockPayload, (std::array<std::uint8_t, 7>{31, 2, 0xE7, 0x07, 23, 59, 59}));
}

TEST_F(ClockEntry, CorrectedValuesAreWhatThePayloadHolds) {
  Enter("32", "0", "99999", "", "75", "0");
  EXPECT_EQ(t.r.clockPayload, (std::array<std::uint8_t, 7>{31, 1, 0x0F, 0x27, 1, 59, 0}));
}

}  // namespace
}  // namespace zhv
