#include "storage/viewer.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "storage/workbook.h"
#include "ui/bindings.h"

namespace zhv {

namespace {

constexpr const char* kCaption = "Записи модуля накопления";
constexpr const char* kFilter = "Файлы записей (*.csv *.txt *.xlsx);;Все файлы (*)";

constexpr Click<RecordsViewer> kClicks[] = {
    {&TForm1::Button1034, &RecordsViewer::ShowReadOut},
    {&TForm1::Button1035, &RecordsViewer::OpenFile},
};

// Days from 1970-01-01 to the date, in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - static_cast<int>(era * 400);
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// "0.00" → 2; null → whole numbers.
int DecimalsOf(const char* format) {
  if (!format) return 0;
  const char* point = std::strchr(format, '.');
  return point ? static_cast<int>(std::strlen(point + 1)) : 0;
}

RecordCell CellOf(const WorkbookCell& c) {
  RecordCell cell;
  char text[40];
  switch (c.kind) {
    case WorkbookCell::Kind::Empty: break;
    case WorkbookCell::Kind::Text: cell.text = c.text; break;
    case WorkbookCell::Kind::Number:
      std::snprintf(text, sizeof text, "%.*f", DecimalsOf(c.format), c.number);
      cell.text = text;
      cell.number = c.number;
      break;
    case WorkbookCell::Kind::DateTime:
      std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", c.day, c.month, c.year, c.hour, c.minute, c.second);
      cell.text = text;
      cell.number = static_cast<double>(DaysFromCivil(c.year, c.month, c.day) * 86400 + c.hour * 3600 + c.minute * 60 + c.second);
      break;
  }
  return cell;
}

bool EndsWithXlsx(const std::string& name) {
  if (name.size() < 5) return false;
  std::string end = name.substr(name.size() - 5);
  std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return end == ".xlsx";
}

}  // namespace

RecordsView BuildRecordsView(std::span<const KeptRecord> records, const std::string& caption, const std::string& heading) {
  using namespace rec;
  RecordsView view;
  view.caption = caption;
  view.heading = heading;
  view.columns = WorkbookColumns();
  view.rows.reserve(records.size());
  const int conc1 = WorkbookConcentrationColumn(1), conc2 = WorkbookConcentrationColumn(2);
  for (const KeptRecord& k : records) {
    const StorageRecord bytes(k.bytes);
    const std::vector<WorkbookCell> cells = WorkbookRow(bytes, k.referenceYear);
    RecordRow& row = view.rows.emplace_back();
    row.cells.reserve(cells.size());
    for (const WorkbookCell& c : cells) row.cells.push_back(CellOf(c));
    if (cells.front().kind == WorkbookCell::Kind::DateTime) row.time = row.cells.front().number;
    row.concentration1 = row.cells[static_cast<std::size_t>(conc1)].number;
    row.concentration2 = row.cells[static_cast<std::size_t>(conc2)].number;

    const std::uint8_t state = bytes[kUnitState], channels = bytes[kChannels], temp = bytes[kTempState];
    const bool second = channels & kCh2Present, thermometer = temp & kTempPresent;
    row.exceeded = (channels & (kCh1Above1 | kCh1Above2)) || (second && (channels & kCh2Above1)) ||
                   (thermometer && (temp & kTempAbove));
    row.fault = (channels & kCh1Fault) || (second && (channels & kCh2Fault)) || (thermometer && (temp & kTempFault)) ||
                (state & (kUnitLinkError | kUnitDischarged));
    row.badCheck = bytes[kIntegrity] != 0;
    row.onBattery = state & kUnitOnBattery;
    if (view.channel1.empty()) view.channel1 = ChannelName(bytes, 1);
    if (view.channel2.empty() && second) view.channel2 = ChannelName(bytes, 2);
  }
  return view;
}

ParsedRecords ParseSpreadsheetText(std::string_view text) {
  ParsedRecords parsed;
  int number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.rfind("FlCRC;", 0) == 0) continue;
    KeptRecord record{};
    if (ParseSpreadsheetLine(line, record)) {
      parsed.records.push_back(record);
    } else if (parsed.skipped++ == 0) {
      parsed.firstSkipped = number;
    }
  }
  return parsed;
}

void RecordsViewer::Bind() { BindClicks<RecordsViewer>(f_, *this, kClicks); }

void RecordsViewer::ReadOutOver() { f_.Button1034.SetEnabled(exportFile_.RecordsWritten() > 0); }

void RecordsViewer::ShowReadOut() {
  const std::span<const KeptRecord> records = exportFile_.Records();
  if (records.empty()) return;
  window_.Show(BuildRecordsView(records, std::string(kCaption) + " — последнее чтение",
                                "Последнее чтение: записей " + std::to_string(records.size()) + ", файл " +
                                    f_.Edit10310.Text()));
}

void RecordsViewer::Refuse(const std::string& why) {
  f_.Panel1030.SetText("Файл записей не открыт: " + why);
  f_.Panel1030.SetColour(clr::Red);
}

bool RecordsViewer::Load(const std::string& name, std::vector<KeptRecord>& records, std::string& status) {
  std::string error;
  if (EndsWithXlsx(name)) {
    std::vector<std::vector<double>> rows;
    if (workbooks_.ReadNumbers(name, kRecordsDataSheet, rows, error) && RecordsFromWorkbook(rows, records, error)) return true;
    Refuse(error);
    return false;
  }
  std::string text;
  if (!files_.LoadWindows1251(name, text, error)) {
    Refuse(error);
    return false;
  }
  ParsedRecords parsed = ParseSpreadsheetText(text);
  const std::string first = "строка " + std::to_string(parsed.firstSkipped) + " не запись вида «для экспорта в Excel»";
  if (parsed.records.empty()) {
    Refuse(parsed.skipped ? first : "в файле нет записей");
    return false;
  }
  if (parsed.skipped) status = first + "; пропущено строк: " + std::to_string(parsed.skipped);
  records = std::move(parsed.records);
  return true;
}

void RecordsViewer::OpenFile() {
  std::string name = lastOpened_.empty() ? f_.Edit10310.Text() : lastOpened_;
  if (!dialogs_.ChooseFileToOpen(name, kFilter)) return;
  lastOpened_ = name;
  std::vector<KeptRecord> records;
  std::string status;
  if (!Load(name, records, status)) return;
  RecordsView view = BuildRecordsView(records, std::string(kCaption) + " — " + name.substr(name.find_last_of('/') + 1),
                                      name + ": записей " + std::to_string(records.size()));
  view.status = status;
  view.statusIsError = !status.empty();
  window_.Show(view);
}

}  // namespace zhv
