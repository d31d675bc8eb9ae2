// The two renderings of a storage record, and every text they choose from.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "storage/records.h"

namespace zhv {
namespace {

using RecordBytes = std::array<std::uint8_t, kRecordSize>;

struct Stamp {
  int day, month, yearField, hour, minute, second;
};

// A record built field by field; the defaults are a quiet working unit with
// channel 1 only and no temperature channel.
struct Rec {
  std::uint8_t integrity = 0;
  Stamp stamp{15, 3, 3, 10, 20, 30};
  std::uint8_t state = 0x04;
  std::uint8_t battery = 0x68;
  std::uint8_t kind1 = 1;
  std::uint8_t channels = 0x00;
  std::uint16_t conc1 = 0;
  std::uint16_t conc2 = 0;
  std::uint8_t tempState = 0;
  std::uint8_t temperature = 0;

  RecordBytes Bytes() const {
    const std::uint32_t packed = static_cast<std::uint32_t>(stamp.second | stamp.minute << 6 | stamp.hour << 12 |
                                                            stamp.day << 17 | stamp.month << 22) |
                                 static_cast<std::uint32_t>(stamp.yearField) << 26;
    return {integrity,
            static_cast<std::uint8_t>(packed),
            static_cast<std::uint8_t>(packed >> 8),
            static_cast<std::uint8_t>(packed >> 16),
            static_cast<std::uint8_t>(packed >> 24),
            state,
            battery,
            kind1,
            channels,
            static_cast<std::uint8_t>(conc1),
            static_cast<std::uint8_t>(conc1 >> 8),
            static_cast<std::uint8_t>(conc2),
            static_cast<std::uint8_t>(conc2 >> 8),
            tempState,
            temperature};
  }
};

std::string Render(const Rec& rec, Layout layout, std::uint16_t referenceYear = 2020) {
  const RecordBytes bytes = rec.Bytes();
  std::string out;
  AppendRecord(out, StorageRecord(bytes), referenceYear, layout);
  return out;
}

// The cells of a spreadsheet line; the line must end with ";" and CR LF.
std::vector<std::string> Cells(const std::string& line) {
  EXPECT_GE(line.size(), 3u);
  EXPECT_EQ(line.substr(line.size() - 3), ";\r\n");
  std::vector<std::string> cells;
  std::stringstream in(line.substr(0, line.size() - 3));
  for (std::string cell; std::getline(in, cell, ';');) cells.push_back(cell);
  return cells;
}

// The lines of a readable record: three and an empty one, CR LF each.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  EXPECT_EQ(from, text.size()) << "text after the last CR LF";
  EXPECT_EQ(lines.size(), 4u);
  if (lines.size() == 4) {
    EXPECT_EQ(lines[3], "");
  }
  return lines;
}

enum Column { FlCRC, Date, Time, GlFlag, VoltBat, TypeBD1, StatBD1, S1, ConcBD1, IdConc1,
              TypeBD2, StatBD2, S2, ConcBD2, IdConc2, StatTemp, Temper };

TEST(Header, IsAnEmptyLineThenSeventeenColumnNames) {
  EXPECT_EQ(SpreadsheetHeader(),
            "\r\nFlCRC;Date;Time;GlFlag;VoltBat;TypeBD1;StatBD1;S1;ConcBD1;IdConc1;"
            "TypeBD2;StatBD2;S2;ConcBD2;IdConc2;StatTemp;Temper;\r\n");
}

// A record with both channels and the temperature channel, in both layouts.
Rec FullRecord() {
  Rec r;
  r.state = 0x07;      // USB control, operating, battery bit 8
  r.battery = 0x68;    // 256 + 104 = 3.60 V
  r.kind1 = 0x8D;      // type 13, two decimals
  r.channels = 0x94;   // channel 2 present and was triggered; channel 1 above threshold 1
  r.conc1 = 0x0190;    // 400 -> 4.00
  r.conc2 = 0x8064;    // above range, 100
  r.tempState = 0x03;  // present, was triggered
  r.temperature = 0xF6;
  return r;
}

TEST(Spreadsheet, RecordWithBothChannels) {
  EXPECT_EQ(Render(FullRecord(), Layout::Spreadsheet),
            "0;15/03/23;10:20:30;006;3.60;\u0421O2 опто  ;04; ;4.00;об.%;"
            "CO элхим  ;1;>;100;мг/м3;03;-10;\r\n");
}

TEST(Readable, RecordWithBothChannels) {
  const auto lines = Lines(Render(FullRecord(), Layout::Readable));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "15/03/23 USB управ. \u0421O2 опто   CO элхим   Темпер.  ");
  EXPECT_EQ(lines[1], "10:20:30 Нет ошибок > Порог 1  Было сраб. Было сраб. ");
  EXPECT_EQ(lines[2], "CRC:Ok   АКБ:3.60B   4.00об.%  >100мг/м3  -10 гр.C");
}

TEST(Spreadsheet, EveryLineHasTheHeadersSeventeenColumnsWithOrWithoutChannel2) {
  Rec without = FullRecord();
  without.channels = 0x14;  // channel 2 bits set, but the channel is absent
  const auto cells = Cells(Render(without, Layout::Spreadsheet));
  ASSERT_EQ(cells.size(), 17u);
  EXPECT_EQ(cells[TypeBD2], "Нет       ");
  EXPECT_EQ(cells[StatBD2], " ");
  EXPECT_EQ(cells[S2], " ");
  EXPECT_EQ(cells[ConcBD2], "000");
  EXPECT_EQ(cells[IdConc2], " ");
  EXPECT_EQ(cells[StatTemp], "03");  // the temperature stays in its own columns
  EXPECT_EQ(cells[Temper], "-10");
  EXPECT_EQ(Cells(Render(FullRecord(), Layout::Spreadsheet)).size(), 17u);
}

TEST(Readable, AbsentChannelsShowDashesAndNone) {
  Rec r;
  r.tempState = 0x0E;  // flags, but the temperature channel is absent
  const auto lines = Lines(Render(r, Layout::Readable));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "15/03/23 Раб.режим  \u0421H4 термо  Нет        Нет       ");
  EXPECT_EQ(lines[1], "10:20:30 Нет ошибок Норма      ---------- ---------- ");
  EXPECT_EQ(lines[2], "CRC:Ok   АКБ:1.04B   000об.%   ---------- +00 гр.C");
}

TEST(Spreadsheet, FieldRenderings) {
  struct Case {
    const char* what;
    Rec rec;
    Column column;
    const char* text;
  };
  auto with = [](auto change) {
    Rec r;
    change(r);
    return r;
  };
  const Case cases[] = {
      {"date from reference year 2020", Rec{}, Date, "15/03/23"},
      {"time", Rec{}, Time, "10:20:30"},
      {"single-digit fields", with([](Rec& r) { r.stamp = {1, 2, 0, 3, 4, 5}; }), Time, "03:04:05"},
      {"bad integrity flag in hex", with([](Rec& r) { r.integrity = 0xA5; }), FlCRC, "A5"},
      {"small flag, one digit", with([](Rec& r) { r.integrity = 0x0C; }), FlCRC, "C"},
      {"unit state without the battery bit", with([](Rec& r) { r.state = 0xFF; }), GlFlag, "254"},
      {"battery voltage", with([](Rec& r) { r.state = 0x04; r.battery = 0x05; }), VoltBat, "0.05"},
      {"channel 1 states, low four bits", with([](Rec& r) { r.channels = 0xFF; }), StatBD1, "15"},
      {"channel 2 states, bits 4..6", with([](Rec& r) { r.channels = 0xFF; }), StatBD2, "7"},
      {"negative word", with([](Rec& r) { r.conc1 = 0x7FFF; }), S1, "-"},
      {"negative word: 16384 minus the value", with([](Rec& r) { r.conc1 = 0x7FFF; }), ConcBD1, "001"},
      {"negative wins over above range", with([](Rec& r) { r.conc1 = 0xC001; }), S1, "-"},
      {"above range", with([](Rec& r) { r.conc1 = 0x8064; }), S1, ">"},
      {"above range value", with([](Rec& r) { r.conc1 = 0x8064; }), ConcBD1, "100"},
      {"one decimal", with([](Rec& r) { r.kind1 = 0x40 | 5; r.conc1 = 7; }), ConcBD1, "00.7"},
      {"three decimals take four digits", with([](Rec& r) { r.kind1 = 0xC0 | 22; r.conc1 = 7; }), ConcBD1,
       "0.007"},
      {"value longer than its minimum", with([](Rec& r) { r.conc1 = 12345; }), ConcBD1, "12345"},
      {"channel 2 has no decimals", with([](Rec& r) { r.channels = 0x80; r.conc2 = 0x0190; }), ConcBD2, "400"},
      {"temperature below zero", with([](Rec& r) { r.temperature = 0xF6; }), Temper, "-10"},
      {"temperature above zero", with([](Rec& r) { r.temperature = 0x05; }), Temper, "+05"},
      {"coldest temperature", with([](Rec& r) { r.temperature = 0x80; }), Temper, "-128"},
      {"temperature states, low four bits", with([](Rec& r) { r.tempState = 0xF9; }), StatTemp, "09"},
      {"unknown sensor type", with([](Rec& r) { r.kind1 = 41; }), TypeBD1, "Unknown BD"},
      {"unknown sensor type's unit", with([](Rec& r) { r.kind1 = 41; }), IdConc1, " "},
  };
  for (const Case& c : cases) {
    const auto cells = Cells(Render(c.rec, Layout::Spreadsheet));
    ASSERT_EQ(cells.size(), 17u) << c.what;
    EXPECT_EQ(cells[c.column], c.text) << c.what;
  }
}

TEST(Spreadsheet, YearCountsFromTheReferenceYearModuloHundred) {
  Rec r;
  r.stamp.yearField = 5;
  EXPECT_EQ(Cells(Render(r, Layout::Spreadsheet, 1999))[Date], "15/03/104");
  EXPECT_EQ(Cells(Render(r, Layout::Spreadsheet, 2100))[Date], "15/03/05");
}

// Every row of the sensor type table: its name in both layouts, its unit, and the
// width its unit counts for the padding of the readable channel group.
TEST(SensorTypes, EveryCodeHasItsNameUnitAndPadding) {
  struct Row {
    std::uint8_t code;
    const char* name;
    const char* unit;
    int padding;  // blanks after a three-digit whole value
  };
  const Row rows[] = {
      {0, "Нет       ", " ", 6},           {1, "\u0421H4 термо ", "об.%", 3},
      {2, "\u04213H8 термо", "об.%", 3},    {3, "Unknown BD", " ", 6},
      {4, "H2 термо  ", "об.%", 3},         {5, "Ex термо  ", "%нкпр", 2},
      {11, "\u0421H4 опто  ", "об.%", 3},   {13, "\u0421O2 опто  ", "об.%", 3},
      {14, "Ex опто   ", "%нкпр", 2},       {22, "O2 элхим  ", "об.%", 3},
      {23, "CO элхим  ", "мг/м3", 2},       {24, "H2S элхим ", "мг/м3", 2},
      {29, "NH3 1000 Э", "мг/м3", 2},       {30, "NH3 2500 Э", "мг/м3", 2},
      {63, "Unknown BD", " ", 6},
  };
  for (const Row& row : rows) {
    Rec r;
    r.kind1 = row.code;
    r.conc1 = 123;
    const auto cells = Cells(Render(r, Layout::Spreadsheet));
    ASSERT_EQ(cells.size(), 17u);
    EXPECT_EQ(cells[TypeBD1], row.name) << int(row.code);
    EXPECT_EQ(cells[IdConc1], row.unit) << int(row.code);
    const auto lines = Lines(Render(r, Layout::Readable));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find(std::string(" ") + row.name + " "), std::string::npos) << int(row.code);
    const std::string group = std::string(" 123") + row.unit + std::string(static_cast<std::size_t>(row.padding), ' ');
    EXPECT_NE(lines[2].find("B  " + group + "---------- "), std::string::npos) << int(row.code) << lines[2];
  }
}

// The Cyrillic С (U+0421, UTF-8 D0 A1) opens only the names of codes 1, 2, 11 and 13.
TEST(SensorTypes, CyrillicEsOnlyWhereTheUnitsDocumentsHaveIt) {
  for (int code = 0; code < 64; ++code) {
    Rec r;
    r.kind1 = static_cast<std::uint8_t>(code);
    const std::string name = Cells(Render(r, Layout::Spreadsheet))[TypeBD1];
    const bool cyrillic = name.compare(0, 2, "\xD0\xA1") == 0;
    EXPECT_EQ(cyrillic, code == 1 || code == 2 || code == 11 || code == 13) << code;
    if (code == 23) {
      EXPECT_EQ(name[0], 'C');  // CO: Latin
    }
  }
}

TEST(Readable, GroupPaddingIsCountedNotMeasured) {
  struct Case {
    std::uint8_t kind1;
    std::uint16_t conc1;
    const char* group;
  };
  const Case cases[] = {
      {0x80 | 13, 400, " 4.00об.%  "},     // 1 + 3 + 1 + 4 = 9: two blanks
      {0xC0 | 13, 400, " 0.400об.% "},     // three decimals count four digits: one blank
      {0xC0 | 5, 400, " 0.400%нкпр"},      // eleven: none
      {0x40 | 41, 12, " 01.2      "},       // unknown unit " ": 1 + 3 + 1 + 1 = 6, five blanks
      {23, 12345, " 12345мг/м3  "},         // longer value, same padding
  };
  for (const Case& c : cases) {
    Rec r;
    r.kind1 = c.kind1;
    r.conc1 = c.conc1;
    const auto lines = Lines(Render(r, Layout::Readable));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[2].find(std::string("B  ") + c.group + "---------- "), std::string::npos) << lines[2];
  }
  Rec both;
  both.channels = 0x80;
  both.conc2 = 0x4000 | 16000;  // -384, channel 2 always three digits and "мг/м3"
  const auto lines = Lines(Render(both, Layout::Readable));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[2].find("-384мг/м3  +00 гр.C"), std::string::npos) << lines[2];
}

// Each row of the readable texts against its neighbours: the first row that applies wins.
TEST(Readable, StateTextsByPrecedence) {
  struct Case {
    int line;
    Rec rec;
    const char* text;  // follows the date or time and a blank, or the channel's place
  };
  auto state = [](std::uint8_t s) {
    Rec r;
    r.state = s;
    return r;
  };
  const Case mode[] = {
      {0, state(0x1F), "Пит.от АКБ "}, {0, state(0x0F), "Тест режим "}, {0, state(0x03), " Прогрев   "},
      {0, state(0x06), "USB управ. "}, {0, state(0x04), "Раб.режим  "},
  };
  for (const Case& c : mode) {
    const auto lines = Lines(Render(c.rec, Layout::Readable));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].substr(0, 9 + std::string(c.text).size()), std::string("15/03/23 ") + c.text);
  }
  const Case fault[] = {{1, state(0xA4), "Ошиб.связи "}, {1, state(0x24), "Разряд АКБ "}, {1, state(0x44), "Нет ошибок "}};
  for (const Case& c : fault) {
    const auto lines = Lines(Render(c.rec, Layout::Readable));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].substr(0, 9 + std::string(c.text).size()), std::string("10:20:30 ") + c.text);
  }

  // Channel 1, channel 2 and temperature texts stand in that order after the fault text.
  struct States {
    std::uint8_t channels, temp;
    const char* ch1;
    const char* ch2;
    const char* temperature;
  };
  const States states[] = {
      {0x8F, 0x0F, "> Порог 2  ", "Норма      ", "> Порог T  "},
      {0xF7, 0x07, "> Порог 1  ", "> Порог 1  ", "Авария T   "},
      {0xB3, 0x03, "Авария s1  ", "Авария s2  ", "Было сраб. "},
      {0x91, 0x01, "Было сраб. ", "Было сраб. ", "Норма      "},
      {0x80, 0xFE, "Норма      ", "Норма      ", "---------- "},
  };
  for (const States& s : states) {
    Rec r;
    r.channels = s.channels;
    r.tempState = s.temp;
    const auto lines = Lines(Render(r, Layout::Readable));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], std::string("10:20:30 Нет ошибок ") + s.ch1 + s.ch2 + s.temperature);
  }
}

TEST(Readable, IntegrityFlagGivesOkOrBad) {
  Rec bad;
  bad.integrity = 1;
  EXPECT_EQ(Lines(Render(bad, Layout::Readable))[2].substr(0, 9), "CRC:Bad  ");
  EXPECT_EQ(Lines(Render(Rec{}, Layout::Readable))[2].substr(0, 9), "CRC:Ok   ");
}

}  // namespace
}  // namespace zhv
