// A storage record as the unit delivers it, rendered as export file text: one
// semicolon-separated line for a spreadsheet, or three readable lines and a blank one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbook.h"
#include "protocol/storage_record.h"

namespace zhv {

using StorageRecord = std::span<const std::uint8_t, rec::kSize>;
// A record kept after its block is gone, with the reference year its date counts from.
using RecordBytes = std::array<std::uint8_t, rec::kSize>;
struct KeptRecord {
  RecordBytes bytes;
  std::uint16_t referenceYear;
  friend bool operator==(const KeptRecord&, const KeptRecord&) = default;
};

// The workbook holds its records in memory and is written whole when the read-out ends.
enum class Layout { Spreadsheet, Readable, Workbook };

// An empty line and the seventeen column names, written before a spreadsheet read-out.
std::string SpreadsheetHeader();
// What a read-out writes before its first record: the spreadsheet's header, or nothing.
std::string LayoutHeader(Layout layout);

// Appends the record's text, CR LF line ends included. Years count from the
// reference year of the last storage status.
void AppendRecord(std::string& out, StorageRecord record, std::uint16_t referenceYear, Layout layout);

// The record a line of the spreadsheet layout was written from, as far as the
// line tells it: parsing and rendering again gives the same line. The reference
// year is one that gives the line's two-digit year. False when the line is no
// record of that layout.
bool ParseSpreadsheetLine(std::string_view line, KeptRecord& record);

// The workbook's record columns, and a record as typed cells under them: the
// date and time as one date-time, numbers as numbers (the sign with the value,
// the over-range mark beside it), states as their texts.
const std::vector<std::string>& WorkbookColumns();
std::vector<WorkbookCell> WorkbookRow(StorageRecord record, std::uint16_t referenceYear);
// The workbook column of a channel's concentration (1 or 2), and whether the record has that channel.
int WorkbookConcentrationColumn(int channel);
bool HasSecondChannel(StorageRecord record);
// A channel's sensor and unit as the record names them: "CO элхим, мг/м3".
std::string ChannelName(StorageRecord record, int channel);

}  // namespace zhv
