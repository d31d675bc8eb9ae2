// The storage module status: parsed, then shown by the pure presenter, which
// repaints only what changed since the last answer.
#include <string>
#include <utility>
#include <vector>

#include "decode/decoders.h"
#include "fixture.h"

namespace zhv {
namespace {

using test::SetData;

class StorageStatusShown : public ::testing::Test {
 protected:
  void Show() {
    const StorageStatus s = ParseStorageStatus(answer);
    ShowStorageStatus(f, d, s, s.referenceYear);
  }
  std::vector<Control*> Panels() {
    return {&f.Panel10110, &f.Panel10111, &f.Panel10112, &f.Panel10115, &f.Panel10116, &f.Panel10117};
  }
  static void Scribble(const std::vector<Control*>& controls) {
    for (Control* c : controls) c->SetText("scribbled");
  }
  void ExpectTexts(const std::vector<Control*>& controls, const std::vector<std::string>& texts) {
    ASSERT_EQ(controls.size(), texts.size());
    for (std::size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(controls[i]->Text(), texts[i]) << controls[i]->Name();
  }
  const std::vector<std::string> clearTexts{
      "RealTimeClock норма",    "Дата/время в норме",        "Была установка даты/время",
      "Буфер хранения в норме", "Была инициализации буфера", "CRC буфера хранения в норме"};

  TForm1 f;
  DisplayState d;
  Frame answer = test::Answer32();
};

TEST_F(StorageStatusShown, FlagPanelsSetAndClear) {
  SetData(answer, {{0, 0xE7}});
  Show();
  const std::pair<Control*, std::pair<const char*, TColor>> set[] = {
      {&f.Panel10110, {"RealTimeClock неисправна", clr::Red}},
      {&f.Panel10111, {"Сбой даты/времени", clr::Yellow}},
      {&f.Panel10112, {"Не было установки даты/время", clr::Yellow}},
      {&f.Panel10115, {"Переполнение буфера хранения", clr::Olive}},
      {&f.Panel10116, {"Не было инициализации буфера", clr::Yellow}},
      {&f.Panel10117, {"Сбой CRC буфера хранения", clr::Yellow}},
  };
  for (const auto& [panel, look] : set) {
    EXPECT_EQ(panel->Text(), look.first) << panel->Name();
    EXPECT_EQ(panel->Colour(), look.second) << panel->Name();
  }
  for (Control* e : {&f.Edit10110, &f.Edit10111, &f.Edit10112, &f.Edit10115, &f.Edit10116, &f.Edit10117})
    EXPECT_EQ(e->Text(), "1") << e->Name();

  SetData(answer, {{0, 0x00}});
  Show();
  ExpectTexts(Panels(), clearTexts);
  for (Control* p : Panels()) EXPECT_EQ(p->Colour(), clr::BtnFace) << p->Name();
  EXPECT_EQ(f.Edit10117.Text(), "0");
  EXPECT_EQ(f.Panel10113.Text(), "");  // bits 3 and 4 have no panel text
}

TEST_F(StorageStatusShown, EqualFlagsAreNotRepainted) {
  SetData(answer, {{0, 0x01}});
  Show();
  Scribble(Panels());
  Show();
  for (Control* p : Panels()) EXPECT_EQ(p->Text(), "scribbled") << p->Name();
}

TEST_F(StorageStatusShown, UnshownBitsAreRememberedSoTheNextChangeRepaints) {
  SetData(answer, {{0, 0x18}});
  Show();
  ExpectTexts(Panels(), clearTexts);

  Scribble(Panels());
  SetData(answer, {{0, 0x00}});
  Show();
  ExpectTexts(Panels(), clearTexts);
}

TEST_F(StorageStatusShown, CurrentDateAndTimeOnEveryValidResponse) {
  SetData(answer, {{1, 0x01}, {2, 7}, {3, 3}, {4, 0xE8}, {5, 0x07}, {6, 9}, {7, 5}, {8, 59}});
  Show();
  const std::vector<Control*> fields{&f.Edit10121, &f.Edit10122, &f.Edit10123,
                                     &f.Edit10124, &f.Edit10125, &f.Edit10126};
  const std::vector<std::string> shown{"07", "03", "2024", "09", "05", "59"};
  ExpectTexts(fields, shown);

  Scribble(fields);  // an equal response still rewrites them
  Show();
  ExpectTexts(fields, shown);

  SetData(answer, {{1, 0xFE}, {2, 31}});  // bit 0 clear: the fields keep their texts
  Show();
  ExpectTexts(fields, shown);
}

TEST_F(StorageStatusShown, BufferStateAndParameters) {
  SetData(answer, {{10, 0xE4}, {11, 0x07},                          // reference year 2020
                   {12, 0x02}, {13, 0x01},                          // 258 records
                   {14, 0x00}, {15, 0xB0}, {16, 0x00}, {17, 0x08},  // write pointer
                   {18, 0x0F}, {19, 0xB1}, {20, 0x00}, {21, 0x08},  // read pointer
                   {22, 0x5F}, {23, 0x8A}, {24, 0x84}, {25, 0x10},  // initialised at
                   {26, 0x10}, {27, 0x27},                          // 10000 records at most
                   {28, 0x00}, {29, 0x00}, {30, 0xA0}, {31, 0x0C}});
  EXPECT_EQ(ParseStorageStatus(answer).referenceYear, 2020);
  Show();
  ExpectTexts({&f.Edit10141, &f.Edit10142, &f.Edit10143}, {"258", "0800B000", "0800B10F"});
  ExpectTexts({&f.Edit10131, &f.Edit10132, &f.Edit10133, &f.Edit10134, &f.Edit10135, &f.Edit10136, &f.Edit10137,
               &f.Edit10138},
              {"02", "02", "0024", "08", "41", "31", "10000", "0CA00000"});
}

TEST_F(StorageStatusShown, BufferFieldsRepaintOnlyWhenTheirBytesChange) {
  SetData(answer, {{12, 5}, {26, 9}});
  Show();
  const std::vector<Control*> state{&f.Edit10141, &f.Edit10142, &f.Edit10143};
  const std::vector<Control*> params{&f.Edit10131, &f.Edit10137, &f.Edit10138};
  Scribble(state);
  Scribble(params);
  Show();
  for (Control* c : state) EXPECT_EQ(c->Text(), "scribbled") << c->Name();
  for (Control* c : params) EXPECT_EQ(c->Text(), "scribbled") << c->Name();

  SetData(answer, {{21, 0x01}});  // last byte of the read pointer
  Show();
  EXPECT_EQ(f.Edit10141.Text(), "5");
  EXPECT_EQ(f.Edit10143.Text(), "01000000");
  for (Control* c : params) EXPECT_EQ(c->Text(), "scribbled") << c->Name();

  SetData(answer, {{31, 0x01}});  // last byte of the start address
  Show();
  EXPECT_EQ(f.Edit10137.Text(), "9");
  EXPECT_EQ(f.Edit10138.Text(), "01000000");
}

TEST_F(StorageStatusShown, AllZeroFirstResponseLeavesTheDesignedTexts) {
  // The last-shown copies start at zero, so nothing differs.
  const std::string count = f.Edit10141.Text();
  const std::string start = f.Edit10138.Text();
  Show();
  EXPECT_EQ(f.Edit10141.Text(), count);
  EXPECT_EQ(f.Edit10138.Text(), start);
  EXPECT_EQ(f.Panel10110.Text(), "RealTimeClock норма");
}

// The exchange keeps the answer's reference year; the display dates the buffer from it.
class StorageStatusPath : public test::ToolTest {};

TEST_F(StorageStatusPath, TheBufferStartIsDatedFromTheAnswersReferenceYear) {
  Connect();
  ASSERT_TRUE(RunUntilRequest(cat::kStorageStatus));
  test::Bytes data = test::StorageStatusData(2021);
  ASSERT_EQ(data.size(), 32u);
  data[22] = 0x5F;  // initialised in year 4 of the count
  data[23] = 0x8A;
  data[24] = 0x84;
  data[25] = 0x10;
  Answer(cat::kStorageStatus, data);
  for (int i = 0; i < 5 && !jobs().referenceYearKnown; ++i) Tick();
  EXPECT_TRUE(jobs().referenceYearKnown);
  EXPECT_EQ(jobs().referenceYear, 2021);
  EXPECT_EQ(t.f.Edit10133.Text(), "0025");
}

}  // namespace
}  // namespace zhv
