// The two renderings of a storage record, and every text they choose from.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/storage_record.h"
#include "storage/records.h"

namespace zhv {
namespace {

using RecordBytes = std::array<std::uint8_t, rec::kSize>;

struct Stamp {
  int day, month, yearField, hour, minute, second;
};

// A record built field by field; the defaults are a quiet working unit with
// channel 1 only and no temperature channel.
struct Rec {
  std::uint8_t integrity = 0;
  Stamp stamp{15, 3, 3, 10, 20, 30};
  std::uint8_t state = rec::kUnitOperating;
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
    RecordBytes r{};
    r[rec::kIntegrity] = integrity;
    for (int i = 0; i < 4; ++i) r[rec::kStamp + i] = static_cast<std::uint8_t>(packed >> 8 * i);
    r[rec::kUnitState] = state;
    r[rec::kBattery] = battery;
    r[rec::kKind1] = kind1;
    r[rec::kChannels] = channels;
    r[rec::kConc1] = static_cast<std::uint8_t>(conc1);
    r[rec::kConc1 + 1] = static_cast<std::uint8_t>(conc1 >> 8);
    r[rec::kConc2] = static_cast<std::uint8_t>(conc2);
    r[rec::kConc2 + 1] = static_cast<std::uint8_t>(conc2 >> 8);
    r[rec::kTempState] = tempState;
    r[rec::kTemperature] = temperature;
    return r;
  }
};

template <class Change>
Rec With(Change change) {
  Rec r;
  change(r);
  return r;
}

std::string Render(const Rec& rec, Layout layout, std::uint16_t referenceYear = 2020) {
  const RecordBytes bytes = rec.Bytes();
  std::string out;
  AppendRecord(out, StorageRecord(bytes), referenceYear, layout);
  return out;
}

enum Column { FlCRC, Date, Time, GlFlag, VoltBat, TypeBD1, StatBD1, S1, ConcBD1, IdConc1,
              TypeBD2, StatBD2, S2, ConcBD2, IdConc2, StatTemp, Temper, kColumns };

// The cells of a spreadsheet line, which must end with ";" and CR LF.
std::vector<std::string> Cells(const Rec& r, std::uint16_t referenceYear = 2020) {
  const std::string line = Render(r, Layout::Spreadsheet, referenceYear);
  if (!line.ends_with(";\r\n")) {
    ADD_FAILURE() << "a spreadsheet line must end with ; CR LF: " << line;
    return {};
  }
  std::vector<std::string> cells;
  std::stringstream in(line.substr(0, line.size() - 3));
  for (std::string cell; std::getline(in, cell, ';');) cells.push_back(cell);
  return cells;
}

// One cell; a failure, not a crash, when the line has not the seventeen columns.
std::string Cell(const Rec& r, Column column, std::uint16_t referenceYear = 2020) {
  const auto cells = Cells(r, referenceYear);
  if (cells.size() != kColumns) {
    ADD_FAILURE() << "a spreadsheet line of " << cells.size() << " cells";
    return "<missing>";
  }
  return cells[column];
}

// The lines of a readable record: three and an empty one, CR LF each.
std::vector<std::string> Lines(const Rec& r) {
  const std::string text = Render(r, Layout::Readable);
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  EXPECT_EQ(from, text.size()) << "text after the last CR LF";
  if (lines.size() != 4 || !lines[3].empty()) {
    ADD_FAILURE() << "a readable record is three lines and an empty one:\n" << text;
    return {};
  }
  lines.pop_back();
  return lines;
}

// One readable line (0..2); a failure, not a crash, when the record has not its lines.
std::string Line(const Rec& r, std::size_t n) {
  const auto lines = Lines(r);
  return n < lines.size() ? lines[n] : "<missing>";
}

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

// A line of the spreadsheet layout parses back to a record that renders to the
// same line, whatever the bytes; lines that are no such record are refused.
TEST(Spreadsheet, LinesParseBackToTheRecordTheyWereWrittenFrom) {
  std::mt19937 random(2213);
  for (int i = 0; i < 20000; ++i) {
    KeptRecord r{};
    for (auto& b : r.bytes) b = static_cast<std::uint8_t>(random());
    if (i % 2) r.bytes[rec::kKind1] = static_cast<std::uint8_t>((r.bytes[rec::kKind1] & 0xC0) | (i / 2 % 31));
    r.referenceYear = static_cast<std::uint16_t>(1990 + i % 150);
    std::string line, again;
    AppendRecord(line, StorageRecord(r.bytes), r.referenceYear, Layout::Spreadsheet);
    KeptRecord back{};
    ASSERT_TRUE(ParseSpreadsheetLine(line, back)) << line;
    AppendRecord(again, StorageRecord(back.bytes), back.referenceYear, Layout::Spreadsheet);
    ASSERT_EQ(again, line);
  }
  const std::string good = Render(FullRecord(), Layout::Spreadsheet);
  for (const std::string& bad : {std::string(), good.substr(0, good.size() / 2), "FlCRC;" + good,
                                 good.substr(0, 2) + "32" + good.substr(4),      // day 32
                                 good.substr(0, 20) + "007" + good.substr(23),  // state with the battery's bit 8
                                 good.substr(0, 40) + ";" + good.substr(40)}) {
    KeptRecord back{};
    EXPECT_FALSE(ParseSpreadsheetLine(bad, back)) << bad;
  }
}

TEST(Readable, RecordWithBothChannels) {
  EXPECT_EQ(Lines(FullRecord()),
            (std::vector<std::string>{"15/03/23 USB управ. \u0421O2 опто   CO элхим   Темпер.  ",
                                      "10:20:30 Нет ошибок > Порог 1  Было сраб. Было сраб. ",
                                      "CRC:Ok   АКБ:3.60B   4.00об.%  >100мг/м3  -10 гр.C"}));
}

TEST(Spreadsheet, EveryLineHasTheHeadersSeventeenColumnsWithOrWithoutChannel2) {
  Rec without = FullRecord();
  without.channels = 0x14;  // channel 2 bits set, but the channel is absent
  const auto cells = Cells(without);
  ASSERT_EQ(cells.size(), static_cast<std::size_t>(kColumns));
  EXPECT_EQ(std::vector<std::string>(cells.begin() + TypeBD2, cells.end()),
            (std::vector<std::string>{"Нет       ", " ", " ", "000", " ", "03", "-10"}))
      << "channel 2 empty, the temperature in its own columns";
  EXPECT_EQ(Cells(FullRecord()).size(), static_cast<std::size_t>(kColumns));
}

TEST(Readable, AbsentChannelsShowDashesAndNone) {
  Rec r;
  r.tempState = 0x0E;  // flags, but the temperature channel is absent
  EXPECT_EQ(Lines(r), (std::vector<std::string>{"15/03/23 Раб.режим  \u0421H4 термо  Нет        Нет       ",
                                                "10:20:30 Нет ошибок Норма      ---------- ---------- ",
                                                "CRC:Ok   АКБ:1.04B   000об.%   ---------- +00 гр.C"}));
}

TEST(Spreadsheet, FieldRenderings) {
  struct Case {
    const char* what;
    Rec rec;
    Column column;
    const char* text;
    std::uint16_t referenceYear = 2020;
  };
  const Case cases[] = {
      {"date from reference year 2020", Rec{}, Date, "15/03/23"},
      {"year from 1999 is not taken modulo 100", With([](Rec& r) { r.stamp.yearField = 5; }), Date, "15/03/104",
       1999},
      {"year from 2100 modulo 100", With([](Rec& r) { r.stamp.yearField = 5; }), Date, "15/03/05", 2100},
      {"time", Rec{}, Time, "10:20:30"},
      {"single-digit fields", With([](Rec& r) { r.stamp = {1, 2, 0, 3, 4, 5}; }), Time, "03:04:05"},
      {"bad integrity flag in hex", With([](Rec& r) { r.integrity = 0xA5; }), FlCRC, "A5"},
      {"small flag, one digit", With([](Rec& r) { r.integrity = 0x0C; }), FlCRC, "C"},
      {"unit state without the battery bit", With([](Rec& r) { r.state = 0xFF; }), GlFlag, "254"},
      {"battery voltage", With([](Rec& r) { r.state = 0x04; r.battery = 0x05; }), VoltBat, "0.05"},
      {"channel 1 states, low four bits", With([](Rec& r) { r.channels = 0xFF; }), StatBD1, "15"},
      {"channel 2 states, bits 4..6", With([](Rec& r) { r.channels = 0xFF; }), StatBD2, "7"},
      {"negative word", With([](Rec& r) { r.conc1 = 0x7FFF; }), S1, "-"},
      {"negative word: 16384 minus the value", With([](Rec& r) { r.conc1 = 0x7FFF; }), ConcBD1, "001"},
      {"negative wins over above range", With([](Rec& r) { r.conc1 = 0xC001; }), S1, "-"},
      {"above range", With([](Rec& r) { r.conc1 = 0x8064; }), S1, ">"},
      {"above range value", With([](Rec& r) { r.conc1 = 0x8064; }), ConcBD1, "100"},
      {"one decimal", With([](Rec& r) { r.kind1 = 0x40 | 5; r.conc1 = 7; }), ConcBD1, "00.7"},
      {"three decimals take four digits", With([](Rec& r) { r.kind1 = 0xC0 | 22; r.conc1 = 7; }), ConcBD1,
       "0.007"},
      {"value longer than its minimum", With([](Rec& r) { r.conc1 = 12345; }), ConcBD1, "12345"},
      {"channel 2 has no decimals", With([](Rec& r) { r.channels = 0x80; r.conc2 = 0x0190; }), ConcBD2, "400"},
      {"temperature below zero", With([](Rec& r) { r.temperature = 0xF6; }), Temper, "-10"},
      {"temperature above zero", With([](Rec& r) { r.temperature = 0x05; }), Temper, "+05"},
      {"coldest temperature", With([](Rec& r) { r.temperature = 0x80; }), Temper, "-128"},
      {"temperature states, low four bits", With([](Rec& r) { r.tempState = 0xF9; }), StatTemp, "09"},
      {"unknown sensor type", With([](Rec& r) { r.kind1 = 41; }), TypeBD1, "Unknown BD"},
      {"unknown sensor type's unit", With([](Rec& r) { r.kind1 = 41; }), IdConc1, " "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Cell(c.rec, c.column, c.referenceYear), c.text);
  }
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
    SCOPED_TRACE(int(row.code));
    Rec r;
    r.kind1 = row.code;
    r.conc1 = 123;
    EXPECT_EQ(Cell(r, TypeBD1), row.name);
    EXPECT_EQ(Cell(r, IdConc1), row.unit);
    const std::string names = Line(r, 0), values = Line(r, 2);
    EXPECT_NE(names.find(std::string(" ") + row.name + " "), std::string::npos) << names;
    const std::string group = std::string(" 123") + row.unit + std::string(static_cast<std::size_t>(row.padding), ' ');
    EXPECT_NE(values.find("B  " + group + "---------- "), std::string::npos) << values;
  }
}

// The Cyrillic С (U+0421, UTF-8 D0 A1) opens only the names of codes 1, 2, 11 and 13.
TEST(SensorTypes, CyrillicEsOnlyWhereTheUnitsDocumentsHaveIt) {
  for (int code = 0; code < 64; ++code) {
    SCOPED_TRACE(code);
    const std::string name = Cell(With([code](Rec& r) { r.kind1 = static_cast<std::uint8_t>(code); }), TypeBD1);
    const bool cyrillic = name.starts_with("\xD0\xA1");
    EXPECT_EQ(cyrillic, code == 1 || code == 2 || code == 11 || code == 13);
    if (code == 23) {
      EXPECT_TRUE(name.starts_with("C")) << "CO: Latin";
    }
  }
}

TEST(Readable, GroupPaddingIsCountedNotMeasured) {
  struct Case {
    Rec rec;
    const char* group;  // channel 1's group, between the battery and channel 2's
  };
  auto channel1 = [](std::uint8_t kind1, std::uint16_t conc1) {
    return With([=](Rec& r) {
      r.kind1 = kind1;
      r.conc1 = conc1;
    });
  };
  const Case cases[] = {
      {channel1(0x80 | 13, 400), "B   4.00об.%  ---------- "},   // 1 + 3 + 1 + 4 = 9: two blanks
      {channel1(0xC0 | 13, 400), "B   0.400об.% ---------- "},   // three decimals count four digits: one blank
      {channel1(0xC0 | 5, 400), "B   0.400%нкпр---------- "},    // eleven: none
      {channel1(0x40 | 41, 12), "B   01.2      ---------- "},     // unknown unit " ": 1 + 3 + 1 + 1 = 6, five blanks
      {channel1(23, 12345), "B   12345мг/м3  ---------- "},       // longer value, same padding
      // channel 2: -384, always three digits and "мг/м3"
      {With([](Rec& r) { r.channels = 0x80; r.conc2 = 0x4000 | 16000; }), "-384мг/м3  +00 гр.C"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.group);
    const std::string values = Line(c.rec, 2);
    EXPECT_NE(values.find(c.group), std::string::npos) << values;
  }
}

// Each row of the readable texts against its neighbours: the first row that applies wins.
TEST(Readable, StateTextsByPrecedence) {
  struct Case {
    std::size_t line;
    Rec rec;
    const char* start;  // how the line starts
  };
  auto state = [](std::uint8_t s) { return With([s](Rec& r) { r.state = s; }); };
  const Case cases[] = {
      {0, state(0x1F), "15/03/23 Пит.от АКБ "},
      {0, state(0x0F), "15/03/23 Тест режим "},
      {0, state(0x03), "15/03/23  Прогрев   "},
      {0, state(0x06), "15/03/23 USB управ. "},
      {0, state(0x04), "15/03/23 Раб.режим  "},
      {1, state(0xA4), "10:20:30 Ошиб.связи "},
      {1, state(0x24), "10:20:30 Разряд АКБ "},
      {1, state(0x44), "10:20:30 Нет ошибок "},
      {2, With([](Rec& r) { r.integrity = 1; }), "CRC:Bad  "},
      {2, Rec{}, "CRC:Ok   "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    EXPECT_TRUE(Line(c.rec, c.line).starts_with(c.start)) << Line(c.rec, c.line);
  }

  // Channel 1, channel 2 and temperature texts stand in that order after the fault text.
  struct States {
    std::uint8_t channels, temp;
    const char* texts;
  };
  const States states[] = {
      {0x8F, 0x0F, "> Порог 2  Норма      > Порог T  "},
      {0xF7, 0x07, "> Порог 1  > Порог 1  Авария T   "},
      {0xB3, 0x03, "Авария s1  Авария s2  Было сраб. "},
      {0x91, 0x01, "Было сраб. Было сраб. Норма      "},
      {0x80, 0xFE, "Норма      Норма      ---------- "},
  };
  for (const States& s : states) {
    SCOPED_TRACE(s.texts);
    const Rec r = With([&](Rec& r) {
      r.channels = s.channels;
      r.tempState = s.temp;
    });
    EXPECT_EQ(Line(r, 1), std::string("10:20:30 Нет ошибок ") + s.texts);
  }
}

}  // namespace
}  // namespace zhv
