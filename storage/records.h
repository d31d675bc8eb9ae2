// A storage record as the unit delivers it, rendered as export file text: one
// semicolon-separated line for a spreadsheet, or three readable lines and a blank one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "protocol/storage_record.h"

namespace zhv {

using StorageRecord = std::span<const std::uint8_t, rec::kSize>;
// A record kept after its block is gone.
using RecordBytes = std::array<std::uint8_t, rec::kSize>;

enum class Layout { Spreadsheet, Readable };

// An empty line and the seventeen column names, written before a spreadsheet read-out.
std::string SpreadsheetHeader();
// What a read-out writes before its first record: the spreadsheet's header, or nothing.
std::string LayoutHeader(Layout layout);

// Appends the record's text, CR LF line ends included. Years count from the
// reference year of the last storage status.
void AppendRecord(std::string& out, StorageRecord record, std::uint16_t referenceYear, Layout layout);

}  // namespace zhv
