// The workbook of a read-out: its records, the unit they came from, and a chart
// of each channel's concentration against time.
#pragma once

#include <cstdint>
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

Workbook BuildWorkbook(const std::vector<RecordBytes>& records, std::uint16_t referenceYear, const WorkbookUnit& unit,
                       const LocalDateTime& exported);

}  // namespace zhv
