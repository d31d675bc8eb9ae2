// The export file of a read-out: opened with its header, each block's records
// written as they arrive, closed at the end; Panel1030 tells the operator how it
// ended. The records themselves are kept too, for whatever reads them after.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "exchange/reports.h"
#include "platform/platform.h"
#include "storage/records.h"
#include "storage/workbook.h"
#include "ui/window_model.h"

namespace zhv {

class ExportFile {
 public:
  ExportFile(TForm1& f, IExportFile& file, IWorkbookFiles& workbooks, IDialogs& dialogs, IClock& clock,
             const std::uint16_t& referenceYear)
      : f_(f), file_(file), workbooks_(workbooks), dialogs_(dialogs), clock_(clock), referenceYear_(referenceYear) {}

  // At its end (created when it is not there), or created or emptied; false,
  // with the reason shown, when that cannot be done. A workbook is only written
  // at the close; appending to one reads its records back first, and one this
  // tool did not write is refused and kept.
  bool Open(const std::string& name, bool append, Layout layout = Layout::Spreadsheet);
  // Starts the count of records written and writes what the layout puts before
  // them (the spreadsheet's empty line and header); false, with the reason shown
  // and the file closed, when the file refuses it.
  bool Start(Layout layout);
  // Writes the records of a block from `first` on, at most `count` in all and
  // only whole records the block holds, each flushed to disk on its own: a
  // failed write leaves the file cut back to its last whole record.
  BlockWritten WriteBlock(std::span<const std::uint8_t> block, std::int32_t first, std::int32_t count);
  // Closes the file and shows how the read-out ended; `mayComeAgain`: records on
  // disk that the unit may not have freed.
  void Close(ReadOutEnd how, bool mayComeAgain);

  // Whole records on disk (for a workbook: in hand) from the running or last read-out.
  std::int32_t RecordsWritten() const { return static_cast<std::int32_t>(records_.size() - earlier_); }
  // Those records as the unit sent them, in order; kept until the next start.
  std::span<const KeptRecord> Records() const { return std::span(records_).subspan(earlier_); }
  Layout CurrentLayout() const { return layout_; }
  // What the workbook's unit sheet says; set before the start.
  WorkbookUnit unit;

 private:
  // Writes and flushes `text`, or cuts the file back to where it was.
  bool WriteWhole(const std::string& text);

  TForm1& f_;
  IExportFile& file_;
  IWorkbookFiles& workbooks_;
  IDialogs& dialogs_;
  IClock& clock_;
  std::string workbookName_;
  const std::uint16_t& referenceYear_;  // of the last storage status: records date themselves by it
  Layout layout_ = Layout::Spreadsheet;
  // Writes the workbook; when that fails, offers another name until it is
  // written or the operator gives up. False when it was not written.
  bool WriteWorkbook(std::string& error);

  std::vector<KeptRecord> records_;  // a workbook's earlier records first, then this read-out's
  std::size_t earlier_ = 0;
  std::int64_t wholeSize_ = -1;  // bytes on disk up to the end of the last whole record
  bool fragmentLeft_ = false;    // a failed write could not be cut back
};

}  // namespace zhv
