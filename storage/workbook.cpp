#include "storage/workbook.h"

namespace zhv {

namespace {

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

Workbook BuildWorkbook(const std::vector<RecordBytes>& records, std::uint16_t referenceYear, const WorkbookUnit& unit,
                       const LocalDateTime& exported) {
  Workbook book;
  WorkbookSheet& sheet = book.sheets.emplace_back();
  sheet.name = "Записи";
  sheet.header = WorkbookColumns();
  sheet.widths = {20, 5, 12, 12, 7, 7, 12, 12, 9, 8, 7, 12, 12, 9, 8, 7, 12, 9};
  sheet.rows.reserve(records.size());
  bool secondChannel = false;
  for (const RecordBytes& r : records) {
    sheet.rows.push_back(WorkbookRow(StorageRecord(r), referenceYear));
    secondChannel = secondChannel || HasSecondChannel(StorageRecord(r));
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

  for (int channel = 1; channel <= (secondChannel ? 2 : 1) && !records.empty(); ++channel) {
    const std::string n = std::to_string(channel);
    book.charts.push_back({"Канал " + n, "Канал " + n + ": " + ChannelName(StorageRecord(records.front()), channel),
                           "Конц. " + n, 0, 0, WorkbookConcentrationColumn(channel)});
  }
  return book;
}

}  // namespace zhv
