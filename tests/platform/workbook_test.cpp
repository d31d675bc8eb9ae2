// The workbook as written to disk, read back from its sheets' XML: typed cells
// under the right columns, the unit sheet, a chart sheet per channel.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "platform/xlsx_workbook.h"
#include "storage/workbook.h"

namespace zhv {
namespace {

std::string Unzip(const std::string& file, const std::string& member) {
  std::string out;
  if (FILE* p = ::popen(("unzip -p '" + file + "' " + member).c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    ::pclose(p);
  }
  return out;
}

// Cell reference → its value, shared strings resolved (still XML-escaped).
std::map<std::string, std::string> Cells(const std::string& file, const std::string& sheet) {
  std::vector<std::string> strings;
  const std::string shared = Unzip(file, "xl/sharedStrings.xml");
  const std::regex si("<si><t[^>]*>([^<]*)</t></si>");
  for (auto it = std::sregex_iterator(shared.begin(), shared.end(), si); it != std::sregex_iterator(); ++it)
    strings.push_back((*it)[1]);
  std::map<std::string, std::string> cells;
  const std::string xml = Unzip(file, "xl/worksheets/" + sheet);
  const std::regex c("<c r=\"([A-Z]+[0-9]+)\"([^>]*)><v>([^<]*)</v></c>");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), c); it != std::sregex_iterator(); ++it) {
    const std::string v = (*it)[3];
    const bool text = (*it)[2].str().find("t=\"s\"") != std::string::npos;
    cells[(*it)[1]] = text ? (std::stoul(v) < strings.size() ? strings[std::stoul(v)] : "?") : v;
  }
  return cells;
}

RecordBytes Record(std::uint32_t stamp, std::uint8_t state, std::uint8_t kind1, std::uint8_t channels,
                   std::uint16_t conc1, std::uint16_t conc2, std::uint8_t tempState, std::uint8_t temperature) {
  return {0, static_cast<std::uint8_t>(stamp), static_cast<std::uint8_t>(stamp >> 8), static_cast<std::uint8_t>(stamp >> 16),
          static_cast<std::uint8_t>(stamp >> 24), state, 0x68, kind1, channels,
          static_cast<std::uint8_t>(conc1), static_cast<std::uint8_t>(conc1 >> 8),
          static_cast<std::uint8_t>(conc2), static_cast<std::uint8_t>(conc2 >> 8), tempState, temperature};
}

// 15.03.2024 12:00:00 with the reference year 2021 (year field 3).
constexpr std::uint32_t kNoon = 3u << 26 | 3u << 22 | 15u << 17 | 12u << 12;

TEST(Workbook, CellsAndSheetsReadBack) {
  const std::vector<KeptRecord> records = {
      // Row 2: CH4 with one decimal, 2.5, battery 3.60 V (bit 8 set), second channel CO -3, temperature -5.
      {Record(kNoon, rec::kUnitOperating | rec::kUnitBattery8, 1 | 1 << 6, rec::kCh2Present | rec::kCh1Above1, 25,
              rec::kConcNegative | (16384 - 3), rec::kTempPresent, 256 - 5),
       2021},
      // Row 3: over the range, on battery, month 13: no date a cell could claim.
      {Record(3u << 26 | 13u << 22 | 1u << 17, rec::kUnitOnBattery, 5, 0, rec::kConcOverRange | 100, 0, 0, 0), 2021},
  };
  const std::string name = (std::filesystem::temp_directory_path() / "zhv-workbook-test.xlsx").string();
  std::string error;
  ASSERT_TRUE(XlsxWorkbookFiles().Write(BuildWorkbook(records, {"11h", "Найден блок", "1.30", "0A0B", "весь буфер"},
                                                      {2025, 1, 2, 3, 4, 5}),
                                        name, error))
      << error;
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(name).parent_path() / ".zhv-workbook-test.xlsx.part"));

  const auto records1 = Cells(name, "sheet1.xml");
  const auto unit = Cells(name, "sheet2.xml");
  struct Expect {
    const std::map<std::string, std::string>* cells;
    const char* ref;
    const char* value;
  } expected[] = {
      {&records1, "A1", "Дата и время"}, {&records1, "I1", "Конц. 1"},
      {&records1, "A2", "45366.5"},  // a serial date-time, not text
      {&records1, "B2", "Ok"},        {&records1, "F2", "3.6"},  {&records1, "G2", "СH4 термо"},
      {&records1, "H2", "&gt; Порог 1"}, {&records1, "I2", "2.5"},  {&records1, "N2", "-3"},
      {&records1, "P2", "мг/м3"},     {&records1, "R2", "-5"},   {&records1, "C3", "Пит.от АКБ"},
      {&records1, "A3", "01/13/24 00:00:00"}, {&records1, "I3", "100"}, {&records1, "J3", "&gt;"},
      {&unit, "B1", "11h"},           {&unit, "B3", "1.30"},     {&unit, "B5", "2021"},
      {&unit, "B7", "45659.12783564815"}, {&unit, "B8", "2"},
  };
  for (const Expect& e : expected) {
    const auto it = e.cells->find(e.ref);
    ASSERT_NE(it, e.cells->end()) << e.ref;
    EXPECT_EQ(it->second, e.value) << e.ref;
  }
  const std::string sheet = Unzip(name, "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("<autoFilter ref=\"A1:R3\"/>"), std::string::npos);
  EXPECT_NE(sheet.find("state=\"frozen\""), std::string::npos);
  const std::string wb = Unzip(name, "xl/workbook.xml");
  EXPECT_NE(wb.find("name=\"Канал 2\""), std::string::npos) << wb;
  EXPECT_EQ(Unzip(name, "xl/charts/chart2.xml").find("'Записи'!$N$2:$N$3") != std::string::npos, true);

  // The hidden data sheet gives the records back exactly, to append to or to view.
  std::vector<std::vector<double>> rows;
  std::vector<KeptRecord> back;
  ASSERT_TRUE(XlsxWorkbookFiles().ReadNumbers(name, kRecordsDataSheet, rows, error)) << error;
  ASSERT_TRUE(RecordsFromWorkbook(rows, back, error)) << error;
  EXPECT_EQ(back, records);
  EXPECT_FALSE(XlsxWorkbookFiles().ReadNumbers(name, "Лист1", rows, error));
  EXPECT_FALSE(XlsxWorkbookFiles().ReadNumbers(name + ".none", kRecordsDataSheet, rows, error));
  std::filesystem::remove(name);
}

}  // namespace
}  // namespace zhv
