// A workbook as plain data, and the service that writes it to disk. The core
// decides the sheets and the typed cells; the writer only lays them out.
#pragma once

#include <string>
#include <vector>

namespace zhv {

struct WorkbookCell {
  enum class Kind { Empty, Text, Number, DateTime };
  Kind kind = Kind::Empty;
  std::string text;
  double number = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  const char* format = nullptr;  // a number format for a number or a date-time; null: the usual one
};

struct WorkbookSheet {
  std::string name;
  std::vector<std::string> header;  // the first row: frozen and filtered when not empty
  std::vector<std::vector<WorkbookCell>> rows;
  std::vector<double> widths;  // of the first columns, in characters
  bool hidden = false;          // data for the program, not for the reader
};

// A line chart on its own sheet: one column of a sheet against another's date-times.
struct WorkbookChart {
  std::string sheet;  // the sheet it sits on
  std::string title;
  std::string axisTitle;
  int dataSheet = 0;  // index of the sheet holding the data
  int timeColumn = 0;
  int valueColumn = 0;
};

struct Workbook {
  std::vector<WorkbookSheet> sheets;
  std::vector<WorkbookChart> charts;
};

class IWorkbookFiles {
 public:
  virtual ~IWorkbookFiles() = default;
  virtual bool Exists(const std::string& name) = 0;
  // Writes the workbook under a temporary name beside `name`, then renames it,
  // so `name` holds either the whole workbook or what it held before; false with the reason.
  virtual bool Write(const Workbook& book, const std::string& name, std::string& error) = 0;
  // The numbers of the sheet called `sheet`, row by row from its first row, a
  // cell that holds no number NaN; false with the reason when the file is no
  // workbook or has no such sheet.
  virtual bool ReadNumbers(const std::string& name, const std::string& sheet, std::vector<std::vector<double>>& rows,
                           std::string& error) = 0;
};

}  // namespace zhv
