#include "platform/xlsx_workbook.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace zhv {

namespace {

// "C:/x/y.xlsx" → "C:/x/.y.xlsx.part": beside the target, so the rename stays on one filesystem.
std::string TemporaryName(const std::string& name) {
  const std::size_t slash = name.find_last_of('/');
  const std::size_t at = slash == std::string::npos ? 0 : slash + 1;
  return name.substr(0, at) + "." + name.substr(at) + ".part";
}

std::string SystemError(std::string_view what) { return std::string(what) + ": " + std::strerror(errno); }

class Writer {
 public:
  explicit Writer(lxw_workbook* wb) : wb_(wb) {
    bold_ = workbook_add_format(wb_);
    format_set_bold(bold_);
  }

  lxw_format* Format(const char* numFormat) {
    if (!numFormat) return nullptr;
    auto [it, added] = formats_.try_emplace(numFormat, nullptr);
    if (added) {
      it->second = workbook_add_format(wb_);
      format_set_num_format(it->second, numFormat);
    }
    return it->second;
  }

  lxw_error Sheet(const WorkbookSheet& s) {
    lxw_worksheet* ws = workbook_add_worksheet(wb_, s.name.c_str());
    if (!ws) return LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
    for (std::size_t c = 0; c < s.widths.size(); ++c)
      worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), s.widths[c], nullptr);
    lxw_row_t row = 0;
    if (!s.header.empty()) {
      for (std::size_t c = 0; c < s.header.size(); ++c)
        worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), s.header[c].c_str(), bold_);
      worksheet_freeze_panes(ws, 1, 0);
      worksheet_autofilter(ws, 0, 0, static_cast<lxw_row_t>(s.rows.size()), static_cast<lxw_col_t>(s.header.size() - 1));
      row = 1;
    }
    for (const auto& cells : s.rows) {
      for (std::size_t c = 0; c < cells.size(); ++c) {
        const WorkbookCell& cell = cells[c];
        const auto col = static_cast<lxw_col_t>(c);
        lxw_error e = LXW_NO_ERROR;
        switch (cell.kind) {
          case WorkbookCell::Kind::Empty: break;
          case WorkbookCell::Kind::Text: e = worksheet_write_string(ws, row, col, cell.text.c_str(), nullptr); break;
          case WorkbookCell::Kind::Number: e = worksheet_write_number(ws, row, col, cell.number, Format(cell.format)); break;
          case WorkbookCell::Kind::DateTime: {
            lxw_datetime dt{cell.year, cell.month, cell.day, cell.hour, cell.minute, static_cast<double>(cell.second)};
            e = worksheet_write_datetime(ws, row, col, &dt, Format(cell.format));
            break;
          }
        }
        if (e != LXW_NO_ERROR) return e;
      }
      ++row;
    }
    return LXW_NO_ERROR;
  }

  void Chart(const WorkbookChart& c, const Workbook& book) {
    const WorkbookSheet& data = book.sheets[static_cast<std::size_t>(c.dataSheet)];
    lxw_chartsheet* cs = workbook_add_chartsheet(wb_, c.sheet.c_str());
    // A scatter with straight lines puts each point at its own time, however unevenly the records came.
    lxw_chart* chart = workbook_add_chart(wb_, LXW_CHART_SCATTER_STRAIGHT);
    if (!cs || !chart) return;
    const lxw_row_t first = data.header.empty() ? 0 : 1;
    const lxw_row_t last = first + static_cast<lxw_row_t>(data.rows.size()) - 1;
    lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
    chart_series_set_categories(series, data.name.c_str(), first, static_cast<lxw_col_t>(c.timeColumn), last,
                                static_cast<lxw_col_t>(c.timeColumn));
    chart_series_set_values(series, data.name.c_str(), first, static_cast<lxw_col_t>(c.valueColumn), last,
                            static_cast<lxw_col_t>(c.valueColumn));
    chart_series_set_name(series, c.axisTitle.c_str());
    chart_title_set_name(chart, c.title.c_str());
    chart_axis_set_num_format(chart->x_axis, "dd.mm.yy hh:mm");
    chart_axis_set_name(chart->y_axis, c.axisTitle.c_str());
    chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
    chartsheet_set_chart(cs, chart);
  }

 private:
  lxw_workbook* wb_;
  lxw_format* bold_;
  std::map<std::string, lxw_format*> formats_;
};

}  // namespace

bool XlsxWorkbookFiles::Exists(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0;
}

bool XlsxWorkbookFiles::Write(const Workbook& book, const std::string& name, std::string& error) {
  const std::string part = TemporaryName(name);
  lxw_workbook_options options{};
  options.use_zip64 = 0;
  lxw_workbook* wb = workbook_new_opt(part.c_str(), &options);
  if (!wb) {
    error = "невозможно создать " + part;
    return false;
  }
  Writer writer(wb);
  lxw_error e = LXW_NO_ERROR;
  for (const WorkbookSheet& s : book.sheets)
    if (e == LXW_NO_ERROR) e = writer.Sheet(s);
  for (const WorkbookChart& c : book.charts)
    if (e == LXW_NO_ERROR && c.dataSheet >= 0 && static_cast<std::size_t>(c.dataSheet) < book.sheets.size() &&
        !book.sheets[static_cast<std::size_t>(c.dataSheet)].rows.empty())
      writer.Chart(c, book);
  // Closing writes the file; it frees the workbook whatever happened before.
  const lxw_error closed = workbook_close(wb);
  if (e == LXW_NO_ERROR) e = closed;
  if (e != LXW_NO_ERROR) {
    error = lxw_strerror(e);
    ::unlink(part.c_str());
    return false;
  }
  if (std::rename(part.c_str(), name.c_str()) != 0) {
    error = SystemError("переименование");
    ::unlink(part.c_str());
    return false;
  }
  return true;
}

}  // namespace zhv
