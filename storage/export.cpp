// The export file of a read-out and what Panel1030 says about it.
#include "storage/export.h"

#include <algorithm>
#include <string>

#include "app/tool.h"
#include "exchange/catalogue.h"
#include "storage/records.h"

namespace zhv {

namespace {

constexpr const char* kCannotOpen = "Невозможно открыть/создать файл";
constexpr const char* kWritten = "Записано записей: ";
constexpr const char* kComplete = "Чтение завершено, записано записей: ";
constexpr const char* kWriteFailed = "Ошибка записи в файл, записано записей: ";
constexpr const char* kCloseFailed = "Ошибка закрытия файла, записано записей: ";
constexpr const char* kInterrupted = "Чтение прервано, записано записей: ";

void Show(Tool& t, const char* text, TColor colour) {
  t.f.Panel1030.SetText(text + std::to_string(t.r.recordsWritten));
  t.f.Panel1030.SetColour(colour);
}

Layout LayoutOf(const ExchangeRecord& r) {
  return (r.readOutFlags & cat::kReadReadable) ? Layout::Readable : Layout::Spreadsheet;
}

bool WriteThrough(IExportFile& file, const std::string& text) { return file.Write(text) && file.Flush(); }

}  // namespace

bool OpenExport(Tool& t) {
  if (t.p.file.Open(t.f.Edit10310.Text(), !(t.r.readOutFlags & cat::kReadOverwrite))) return true;
  t.f.Panel1030.SetText(kCannotOpen);
  t.f.Panel1030.SetColour(clr::Red);
  return false;
}

bool StartExport(Tool& t) {
  ExchangeRecord& r = t.r;
  IExportFile& file = t.p.file;
  r.recordsWritten = 0;
  if (LayoutOf(r) == Layout::Spreadsheet && !WriteThrough(file, SpreadsheetHeader())) {
    file.Close();
    Show(t, kWriteFailed, clr::Red);
    return false;
  }
  Show(t, kWritten, clr::BtnFace);
  return true;
}

std::int32_t WriteExportBlock(Tool& t, const std::uint8_t* data, std::size_t length, std::int32_t count) {
  ExchangeRecord& r = t.r;
  // The count is the unit's word; the frame's length is what actually arrived.
  const std::size_t received = length > kBlockHeaderSize ? (length - kBlockHeaderSize) / kRecordSize : 0;
  const std::size_t records = std::min(static_cast<std::size_t>(std::max(count, 0)), received);
  std::string text;
  text.reserve(records * 256);
  for (std::size_t k = 0; k < records; ++k) {
    const std::uint8_t* record = data + kBlockHeaderSize + kRecordSize * k;
    AppendRecord(text, StorageRecord(record, kRecordSize), r.referenceYear, LayoutOf(r));
  }
  if (records > 0 && !WriteThrough(t.p.file, text)) {
    Show(t, kWriteFailed, clr::Red);
    return -1;
  }
  r.recordsWritten += static_cast<std::int32_t>(records);
  Show(t, kWritten, clr::BtnFace);
  return static_cast<std::int32_t>(records);
}

void CloseExport(Tool& t, ReadOutEnd how) {
  const bool closed = t.p.file.Close();
  if (how == ReadOutEnd::WriteFailed) return;  // its reason is on show already
  if (!closed) {
    Show(t, kCloseFailed, clr::Red);
  } else if (how == ReadOutEnd::Interrupted) {
    Show(t, kInterrupted, clr::Red);
  } else {
    Show(t, kComplete, clr::PortOpen);
  }
}

}  // namespace zhv
