#include "storage/export.h"

#include <algorithm>

namespace zhv {

namespace {

constexpr const char* kCannotOpen = "Невозможно открыть/создать файл";
constexpr const char* kNoWorkbookAppend = "Книга Excel не дополняется (";
constexpr const char* kKeptAsItIs = "): файл оставлен как есть, выберите «перезапись» или новый файл";
constexpr const char* kWorkbookFailed = "Книга Excel не записана (";
constexpr const char* kWorkbookFilter = "Книга Excel (*.xlsx)";

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
  records_.clear();
  earlier_ = 0;
  if (layout == Layout::Workbook) {
    // The new records follow the ones already there, which only a workbook of ours gives back.
    std::vector<std::vector<double>> rows;
    std::string error;
    if (append && workbooks_.Exists(name) &&
        !(workbooks_.ReadNumbers(name, kRecordsDataSheet, rows, error) && RecordsFromWorkbook(rows, records_, error))) {
      records_.clear();
      f_.Panel1030.SetText(kNoWorkbookAppend + error + kKeptAsItIs);
      f_.Panel1030.SetColour(clr::Red);
      return false;
    }
    earlier_ = records_.size();
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
    KeptRecord& kept = records_.emplace_back();
    std::copy_n(record, rec::kSize, kept.bytes.begin());
    kept.referenceYear = referenceYear_;
    ++written.records;
  }
  return written;
}

bool ExportFile::WriteWorkbook(std::string& error) {
  // The unit may have freed these records already: they are not given up on one failed write.
  const Workbook book = BuildWorkbook(records_, unit, clock_.Now());
  const std::string chosen = workbookName_;
  while (!workbooks_.Write(book, workbookName_, error)) {
    if (!dialogs_.Ask(kWorkbookFailed + error + "). Записей в памяти: " + std::to_string(RecordsWritten()) +
                          ". Сохранить их в другой файл?", true) ||
        !dialogs_.ChooseFileToSave(workbookName_, kWorkbookFilter)) {
      return false;
    }
  }
  // The file field says where the records are now.
  if (workbookName_ != chosen) f_.Edit10310.SetText(workbookName_);
  return true;
}

void ExportFile::Close(ReadOutEnd how, bool mayComeAgain) {
  if (layout_ == Layout::Workbook) {
    // Whatever ended the read-out, the records received go into the workbook.
    std::string error;
    if (!WriteWorkbook(error)) {
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
  if (earlier_ > 0) shown += "; книга дополнена, в ней записей: " + std::to_string(records_.size());
  f_.Panel1030.SetText(shown);
  f_.Panel1030.SetColour(ending->colour);
}

}  // namespace zhv
