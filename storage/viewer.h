// The records viewer's side in the tool: «Показать записи» shows the records of
// the last read-out, «Открыть файл записей…» those of a file the tool wrote, in
// the spreadsheet layout or as a workbook.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "storage/export.h"
#include "storage/records.h"
#include "ui/window_model.h"

namespace zhv {

// The records as the window shows them: the workbook's columns, the flags the
// filters pick, the concentrations the chart draws.
RecordsView BuildRecordsView(std::span<const KeptRecord> records, const std::string& caption, const std::string& heading);

// The records of an export file in the spreadsheet layout. Empty lines and
// headers are passed over; other lines that are no record are skipped, counted,
// and the first of them named.
struct ParsedRecords {
  std::vector<KeptRecord> records;
  int skipped = 0;
  int firstSkipped = 0;  // its line number, from 1
};
ParsedRecords ParseSpreadsheetText(std::string_view text);

class RecordsViewer {
 public:
  RecordsViewer(TForm1& f, const ExportFile& exportFile, IDialogs& dialogs, ITextFiles& files, IWorkbookFiles& workbooks,
                IRecordsWindow& window)
      : f_(f), exportFile_(exportFile), dialogs_(dialogs), files_(files), workbooks_(workbooks), window_(window) {}

  void Bind();
  void ShowReadOut();  // «Показать записи»
  void OpenFile();     // «Открыть файл записей…»
  // A read-out has ended: its records can be shown if it brought any.
  void ReadOutOver();

 private:
  // The file's records, or false with the reason shown on the storage tab.
  bool Load(const std::string& name, std::vector<KeptRecord>& records, std::string& status);
  void Refuse(const std::string& why);

  TForm1& f_;
  const ExportFile& exportFile_;
  IDialogs& dialogs_;
  ITextFiles& files_;
  IWorkbookFiles& workbooks_;
  IRecordsWindow& window_;
  std::string lastOpened_;
};

}  // namespace zhv
