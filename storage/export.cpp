#include "storage/export.h"

#include <algorithm>

namespace zhv {

namespace {

constexpr const char* kCannotOpen = "Невозможно открыть/создать файл";
constexpr const char* kWritten = "Записано записей: ";
constexpr const char* kComplete = "Чтение завершено, записано записей: ";
constexpr const char* kWriteFailed = "Ошибка записи в файл, записано записей: ";
constexpr const char* kCloseFailed = "Ошибка закрытия файла, записано записей: ";
constexpr const char* kInterrupted = "Чтение прервано, записано записей: ";

bool WriteThrough(IExportFile& file, const std::string& text) { return file.Write(text) && file.Flush(); }

}  // namespace

void ExportFile::Show(const char* text, TColor colour) {
  f_.Panel1030.SetText(text + std::to_string(recordsWritten_));
  f_.Panel1030.SetColour(colour);
}

bool ExportFile::Open(const std::string& name, bool append) {
  if (file_.Open(name, append)) return true;
  f_.Panel1030.SetText(kCannotOpen);
  f_.Panel1030.SetColour(clr::Red);
  return false;
}

bool ExportFile::Start(Layout layout) {
  layout_ = layout;
  recordsWritten_ = 0;
  if (layout == Layout::Spreadsheet && !WriteThrough(file_, SpreadsheetHeader())) {
    file_.Close();
    Show(kWriteFailed, clr::Red);
    return false;
  }
  Show(kWritten, clr::BtnFace);
  return true;
}

std::int32_t ExportFile::WriteBlock(std::span<const std::uint8_t> block, std::int32_t count) {
  // The count is the unit's word; the frame's length is what actually arrived.
  const std::size_t received = block.size() > rec::kBlockHeaderSize ? (block.size() - rec::kBlockHeaderSize) / rec::kSize : 0;
  const std::size_t records = std::min(static_cast<std::size_t>(std::max(count, 0)), received);
  std::string text;
  text.reserve(records * 256);
  for (std::size_t k = 0; k < records; ++k) {
    const std::uint8_t* record = block.data() + rec::kBlockHeaderSize + rec::kSize * k;
    AppendRecord(text, StorageRecord(record, rec::kSize), referenceYear_, layout_);
  }
  if (records > 0 && !WriteThrough(file_, text)) {
    Show(kWriteFailed, clr::Red);
    return -1;
  }
  recordsWritten_ += static_cast<std::int32_t>(records);
  Show(kWritten, clr::BtnFace);
  return static_cast<std::int32_t>(records);
}

void ExportFile::Close(ReadOutEnd how) {
  const bool closed = file_.Close();
  if (how == ReadOutEnd::WriteFailed) return;  // its reason is on show already
  if (!closed) {
    Show(kCloseFailed, clr::Red);
  } else if (how == ReadOutEnd::Interrupted) {
    Show(kInterrupted, clr::Red);
  } else {
    Show(kComplete, clr::PortOpen);
  }
}

}  // namespace zhv
