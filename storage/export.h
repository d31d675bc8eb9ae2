// The export file of a read-out: opened with its header, each block's records
// written as they arrive, closed at the end; Panel1030 tells the operator how it goes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "exchange/reports.h"
#include "platform/platform.h"
#include "storage/records.h"
#include "ui/window_model.h"

namespace zhv {

class ExportFile {
 public:
  ExportFile(TForm1& f, IExportFile& file, const std::uint16_t& referenceYear)
      : f_(f), file_(file), referenceYear_(referenceYear) {}

  // At its end, or created or emptied; false, with the reason shown, when that cannot be done.
  bool Open(const std::string& name, bool append);
  // Starts the count of records written and, for the spreadsheet layout, writes
  // an empty line and the header; false, with the reason shown and the file
  // closed, when the file refuses them.
  bool Start(Layout layout);
  // Writes and flushes the records of a block: at most `count`, and only whole
  // records the block holds. Returns how many, or -1 when the file refused them.
  std::int32_t WriteBlock(std::span<const std::uint8_t> block, std::int32_t count);
  // Closes the file and shows how the read-out ended.
  void Close(ReadOutEnd how);

  std::int32_t RecordsWritten() const { return recordsWritten_; }

 private:
  void Show(const char* text, TColor colour);

  TForm1& f_;
  IExportFile& file_;
  const std::uint16_t& referenceYear_;  // of the last storage status: records date themselves by it
  Layout layout_ = Layout::Spreadsheet;
  std::int32_t recordsWritten_ = 0;  // by the running or last read-out
};

}  // namespace zhv
