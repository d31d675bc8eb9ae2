#include "platform/xlsx_workbook.h"

#include <unzip.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
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
    if (s.hidden) worksheet_hide(ws);
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

// A workbook is a zip of XML parts; these read the few a sheet's numbers need.
class Parts {
 public:
  explicit Parts(const std::string& name) : zip_(unzOpen64(name.c_str())) {}
  ~Parts() {
    if (zip_) unzClose(zip_);
  }
  Parts(const Parts&) = delete;
  Parts& operator=(const Parts&) = delete;
  bool IsOpen() const { return zip_ != nullptr; }

  // The part's text; false when the zip has no such part or it will not inflate.
  bool Read(const std::string& part, std::string& text) {
    if (unzLocateFile(zip_, part.c_str(), 1) != UNZ_OK) return false;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
    // A full buffer's sheet is a few megabytes; anything far beyond is no workbook of ours.
    if (info.uncompressed_size > kMaxPart || unzOpenCurrentFile(zip_) != UNZ_OK) return false;
    text.resize(static_cast<std::size_t>(info.uncompressed_size));
    const int got = text.empty() ? 0 : unzReadCurrentFile(zip_, text.data(), static_cast<unsigned>(text.size()));
    const bool whole = unzCloseCurrentFile(zip_) == UNZ_OK && got == static_cast<int>(text.size());
    return whole;
  }

 private:
  static constexpr std::uint64_t kMaxPart = 256u << 20;
  unzFile zip_;
};

// The value of attribute `name` in the tag that starts at `tag`, entities left as they are.
std::string Attribute(std::string_view tag, std::string_view name) {
  for (std::size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
    const char before = at ? tag[at - 1] : ' ';
    const std::size_t eq = at + name.size();
    if ((before == ' ' || before == ':') && eq + 1 < tag.size() && tag[eq] == '=' && (tag[eq + 1] == '"' || tag[eq + 1] == '\'')) {
      const std::size_t end = tag.find(tag[eq + 1], eq + 2);
      if (end != std::string_view::npos) return std::string(tag.substr(eq + 2, end - eq - 2));
    }
  }
  return {};
}

// Each start tag `<name ...>` of the text, in order.
template <typename F>
void EachTag(std::string_view xml, std::string_view name, F&& f) {
  const std::string open = "<" + std::string(name);
  for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
    const std::size_t next = at + open.size();
    if (next >= xml.size() || (xml[next] != ' ' && xml[next] != '>' && xml[next] != '/')) continue;
    const std::size_t end = xml.find('>', at);
    if (end == std::string_view::npos) return;
    f(xml.substr(at, end + 1 - at), end + 1);
  }
}

std::string EscapedXml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// "BC12" → column 54 (from 0); -1 when it is no cell reference.
int ColumnOf(std::string_view ref) {
  int column = 0;
  std::size_t k = 0;
  for (; k < ref.size() && ref[k] >= 'A' && ref[k] <= 'Z' && k < 3; ++k) column = column * 26 + (ref[k] - 'A' + 1);
  return k == 0 ? -1 : column - 1;
}

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

namespace zhv {

bool XlsxWorkbookFiles::ReadNumbers(const std::string& name, const std::string& sheet,
                                    std::vector<std::vector<double>>& rows, std::string& error) {
  Parts parts(name);
  if (!parts.IsOpen()) {
    error = "файл не открывается как книга Excel (.xlsx)";
    return false;
  }
  std::string book, rels, xml;
  if (!parts.Read("xl/workbook.xml", book) || !parts.Read("xl/_rels/workbook.xml.rels", rels)) {
    error = "в файле нет книги Excel";
    return false;
  }
  // The sheet's name leads to its relation, and that to the part holding its cells.
  std::string id, target;
  const std::string wanted = EscapedXml(sheet);
  EachTag(book, "sheet", [&](std::string_view tag, std::size_t) {
    if (id.empty() && Attribute(tag, "name") == wanted) id = Attribute(tag, "id");
  });
  EachTag(rels, "Relationship", [&](std::string_view tag, std::size_t) {
    if (target.empty() && !id.empty() && Attribute(tag, "Id") == id) target = Attribute(tag, "Target");
  });
  if (target.empty()) {
    error = "в книге нет листа «" + sheet + "»";
    return false;
  }
  if (!parts.Read(target.front() == '/' ? target.substr(1) : "xl/" + target, xml)) {
    error = "лист «" + sheet + "» не читается";
    return false;
  }
  rows.clear();
  EachTag(xml, "c", [&](std::string_view tag, std::size_t after) {
    const std::string ref = Attribute(tag, "r");
    const int column = ColumnOf(ref);
    const std::size_t digits = ref.find_first_of("0123456789");
    const long row = digits == std::string::npos ? 0 : std::strtol(ref.c_str() + digits, nullptr, 10);
    if (column < 0 || row < 1 || row > (1 << 20)) return;
    // Only a number counts: shared strings, inline strings, booleans and errors have a type.
    const std::string type = Attribute(tag, "t");
    double value = NAN;
    const std::string_view rest = std::string_view(xml).substr(after);
    if ((type.empty() || type == "n") && tag.back() != '/' && rest.rfind("<v>", 0) == 0) {
      value = std::strtod(std::string(rest.substr(3, rest.find('<', 3) - 3)).c_str(), nullptr);
    }
    if (rows.size() < static_cast<std::size_t>(row)) rows.resize(static_cast<std::size_t>(row));
    std::vector<double>& cells = rows[static_cast<std::size_t>(row - 1)];
    if (cells.size() <= static_cast<std::size_t>(column)) cells.resize(static_cast<std::size_t>(column) + 1, NAN);
    cells[static_cast<std::size_t>(column)] = value;
  });
  return true;
}

}  // namespace zhv
