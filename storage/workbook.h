// The workbook of a read-out: its records, the unit they came from, and a chart
// of each channel's concentration against time.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/workbook.h"
#include "storage/records.h"

namespace zhv {

// The unit as identification named it, and how it was read.
struct WorkbookUnit {
  std::string deviceType;  // "11h"
  std::string product;     // the product text the tool showed
  std::string version;     // "1.30"
  std::string id;          // "1A2B"
  std::string readMode;
};

// The sheet that keeps the records as the unit sent them, hidden: a workbook
// this tool wrote can be read back whole, to append to it or to view it.
inline constexpr const char* kRecordsDataSheet = "Данные";

Workbook BuildWorkbook(std::span<const KeptRecord> records, const WorkbookUnit& unit, const LocalDateTime& exported);

// The records of a workbook from the numbers of its data sheet; false with the
// reason (naming the row) when the sheet is not this tool's or is damaged.
bool RecordsFromWorkbook(const std::vector<std::vector<double>>& rows, std::vector<KeptRecord>& records,
                         std::string& error);

}  // namespace zhv
