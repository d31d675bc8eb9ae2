#include "storage/workbook.h"

#include <cmath>

namespace zhv {

namespace {

// The data sheet's first row: what it is and its version, so a sheet of the
// same name from anywhere else is not taken for records.
constexpr double kDataMark = 22130;
constexpr double kDataVersion = 1;
// A record's fifteen bytes as three numbers of five bytes each: a spreadsheet
// number holds 53 bits exactly.
constexpr std::size_t kBytesPerNumber = 5;
constexpr std::size_t kNumbers = rec::kSize / kBytesPerNumber;

WorkbookCell TextCell(const std::string& text) {
  WorkbookCell c;
  c.kind = WorkbookCell::Kind::Text;
  c.text = text;
  return c;
}

WorkbookCell NumberCell(double value) {
  WorkbookCell c;
  c.kind = WorkbookCell::Kind::Number;
  c.number = value;
  return c;
}

}  // namespace

Workbook BuildWorkbook(std::span<const KeptRecord> records, const WorkbookUnit& unit, const LocalDateTime& exported) {
  const std::uint16_t referenceYear = records.empty() ? 0 : records.back().referenceYear;
  Workbook book;
  WorkbookSheet& sheet = book.sheets.emplace_back();
  sheet.name = "Записи";
  sheet.header = WorkbookColumns();
  sheet.widths = {20, 5, 12, 12, 7, 7, 12, 12, 9, 8, 7, 12, 12, 9, 8, 7, 12, 9};
  sheet.rows.reserve(records.size());
  bool secondChannel = false;
  for (const KeptRecord& r : records) {
    sheet.rows.push_back(WorkbookRow(StorageRecord(r.bytes), r.referenceYear));
    secondChannel = secondChannel || HasSecondChannel(StorageRecord(r.bytes));
  }

  WorkbookSheet& about = book.sheets.emplace_back();
  about.name = "Блок";
  about.widths = {22, 60};
  WorkbookCell when;
  when.kind = WorkbookCell::Kind::DateTime;
  when.year = exported.year;
  when.month = exported.month;
  when.day = exported.day;
  when.hour = exported.hour;
  when.minute = exported.minute;
  when.second = exported.second;
  when.format = "dd.mm.yyyy hh:mm:ss";
  about.rows = {
      {TextCell("Тип устройства"), TextCell(unit.deviceType)},
      {TextCell("Устройство"), TextCell(unit.product)},
      {TextCell("Версия ПО"), TextCell(unit.version)},
      {TextCell("ID"), TextCell(unit.id)},
      {TextCell("Опорный год"), NumberCell(referenceYear)},
      {TextCell("Режим чтения"), TextCell(unit.readMode)},
      {TextCell("Время выгрузки"), when},
      {TextCell("Записей"), NumberCell(static_cast<double>(records.size()))},
  };

  WorkbookSheet& data = book.sheets.emplace_back();
  data.name = kRecordsDataSheet;
  data.hidden = true;
  data.rows.reserve(records.size() + 1);
  data.rows.push_back({NumberCell(kDataMark), NumberCell(kDataVersion)});
  for (const KeptRecord& r : records) {
    std::vector<WorkbookCell>& row = data.rows.emplace_back();
    row.push_back(NumberCell(r.referenceYear));
    for (std::size_t n = 0; n < kNumbers; ++n) {
      double number = 0;
      for (std::size_t k = 0; k < kBytesPerNumber; ++k) number = number * 256 + r.bytes[n * kBytesPerNumber + k];
      row.push_back(NumberCell(number));
    }
  }

  for (int channel = 1; channel <= (secondChannel ? 2 : 1) && !records.empty(); ++channel) {
    const std::string n = std::to_string(channel);
    book.charts.push_back({"Канал " + n, "Канал " + n + ": " + ChannelName(StorageRecord(records.front().bytes), channel),
                           "Конц. " + n, 0, 0, WorkbookConcentrationColumn(channel)});
  }
  return book;
}

bool RecordsFromWorkbook(const std::vector<std::vector<double>>& rows, std::vector<KeptRecord>& records,
                         std::string& error) {
  if (rows.empty() || rows[0].size() < 2 || rows[0][0] != kDataMark || rows[0][1] != kDataVersion) {
    error = "книга записана не этой программой";
    return false;
  }
  records.clear();
  records.reserve(rows.size() - 1);
  for (std::size_t at = 1; at < rows.size(); ++at) {
    const std::vector<double>& row = rows[at];
    KeptRecord& r = records.emplace_back();
    bool whole = row.size() == kNumbers + 1 && row[0] >= 1 && row[0] <= 65535 && row[0] == std::floor(row[0]);
    for (std::size_t n = 0; whole && n < kNumbers; ++n) {
      double number = row[n + 1];
      whole = number >= 0 && number < 1099511627776.0 && number == std::floor(number);  // five bytes
      for (std::size_t k = kBytesPerNumber; whole && k-- > 0;) {
        r.bytes[n * kBytesPerNumber + k] = static_cast<std::uint8_t>(std::fmod(number, 256));
        number = std::floor(number / 256);
      }
    }
    if (!whole) {
      error = "лист «" + std::string(kRecordsDataSheet) + "» повреждён в строке " + std::to_string(at + 1);
      return false;
    }
    r.referenceYear = static_cast<std::uint16_t>(row[0]);
  }
  return true;
}

}  // namespace zhv
