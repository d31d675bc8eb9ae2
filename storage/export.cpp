#include "storage/export.h"

#include <algorithm>

namespace zhv {

namespace {

constexpr const char* kCannotOpen = "Невозможно открыть/создать файл";
constexpr const char* kNoWorkbookAppend = "Книга Excel не дополняется: файл оставлен как есть, выберите «перезапись» или новый файл";
constexpr const char* kWorkbookFailed = "Книга Excel не записана (";

// How a read-out ended, in full, and briefly where a note must follow in the one-line panel.
struct Ending {
  const char* full;
  const char* brief;
  TColor colour;
};
constexpr Ending kComplete{"Чтение завершено, записано записей: ", "Завершено, записано ", clr::PortOpen};
constexpr Ending kStopped{"Чтение остановлено, записано записей: ", "Остановлено, записано ", clr::PortOpen};
constexpr Ending kInterrupted{"Чтение прервано, записано записей: ", "Прервано, записано ", clr::Red};
constexpr Ending kWriteFailed{"Ошибка записи в файл, записано записей: ", "Ошибка записи, записано ", clr::Red};
constexpr Ending kCloseFailed{"Ошибка закрытия файла, записано записей: ", "Файл не закрыт, записано ", clr::Red};
// The first that applies is shown: a damaged file matters more.
constexpr const char* kFragmentLeft = "; в конце файла обрывок строки";
constexpr const char* kMayComeAgain = "; последние могут прийти снова";

}  // namespace

bool ExportFile::Open(const std::string& name, bool append, Layout layout) {
  fragmentLeft_ = false;
  if (layout == Layout::Workbook) {
    // Appending would have to read the workbook back: it is refused, and the file kept.
    if (append && workbooks_.Exists(name)) {
      f_.Panel1030.SetText(kNoWorkbookAppend);
      f_.Panel1030.SetColour(clr::Red);
      return false;
    }
    workbookName_ = name;
    return true;
  }
  if (file_.Open(name, append)) {
    wholeSize_ = file_.Size();
    return true;
  }
  f_.Panel1030.SetText(kCannotOpen);
  f_.Panel1030.SetColour(clr::Red);
  return false;
}

bool ExportFile::WriteWhole(const std::string& text) {
  if (file_.Write(text) && file_.Flush()) {
    wholeSize_ = file_.Size();
    return true;
  }
  fragmentLeft_ = !(wholeSize_ >= 0 && file_.CutBack(wholeSize_));
  return false;
}

bool ExportFile::Start(Layout layout) {
  layout_ = layout;
  records_.clear();
  const std::string header = LayoutHeader(layout);
  if (!header.empty() && !WriteWhole(header)) {
    Close(ReadOutEnd::WriteFailed, false);
    return false;
  }
  return true;
}

BlockWritten ExportFile::WriteBlock(std::span<const std::uint8_t> block, std::int32_t first, std::int32_t count) {
  const bool text = layout_ != Layout::Workbook;
  // The count is the unit's word; the frame's length is what actually arrived.
  const std::size_t received = block.size() > rec::kBlockHeaderSize ? (block.size() - rec::kBlockHeaderSize) / rec::kSize : 0;
  const std::size_t records = std::min(static_cast<std::size_t>(std::max(count, 0)), received);
  BlockWritten written;
  std::string line;
  // One record at a time: whatever fails, every record before it is whole on disk.
  for (std::size_t k = static_cast<std::size_t>(std::max(first, 0)); k < records; ++k) {
    const std::uint8_t* record = block.data() + rec::kBlockHeaderSize + rec::kSize * k;
    if (text) {
      line.clear();
      AppendRecord(line, StorageRecord(record, rec::kSize), referenceYear_, layout_);
      if (!WriteWhole(line)) {
        written.failed = true;
        break;
      }
    }
    RecordBytes& kept = records_.emplace_back();
    std::copy_n(record, rec::kSize, kept.begin());
    ++written.records;
  }
  return written;
}

void ExportFile::Close(ReadOutEnd how, bool mayComeAgain) {
  if (layout_ == Layout::Workbook) {
    // Whatever ended the read-out, the records received go into the workbook.
    std::string error;
    if (!workbooks_.Write(BuildWorkbook(records_, referenceYear_, unit, clock_.Now()), workbookName_, error)) {
      f_.Panel1030.SetText(kWorkbookFailed + error + "), записей в памяти: " + std::to_string(RecordsWritten()));
      f_.Panel1030.SetColour(clr::Red);
      return;
    }
  }
  const bool closed = layout_ == Layout::Workbook || file_.Close();
  const Ending* ending = &kComplete;
  switch (how) {
    case ReadOutEnd::Complete: break;
    case ReadOutEnd::Stopped: ending = &kStopped; break;
    case ReadOutEnd::Interrupted: ending = &kInterrupted; break;
    case ReadOutEnd::WriteFailed: ending = &kWriteFailed; break;
  }
  // A failed write is what the operator must hear of, even if the close failed too.
  if (!closed && how != ReadOutEnd::WriteFailed) ending = &kCloseFailed;
  const char* note = fragmentLeft_ ? kFragmentLeft : mayComeAgain ? kMayComeAgain : nullptr;
  std::string shown = (note ? ending->brief : ending->full) + std::to_string(RecordsWritten());
  if (note) shown += note;
  f_.Panel1030.SetText(shown);
  f_.Panel1030.SetColour(ending->colour);
}

}  // namespace zhv
