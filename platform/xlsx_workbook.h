// The workbook written with libxlsxwriter and renamed into place once whole;
// read back with minizip, as far as the numbers of one sheet.
#pragma once

#include "platform/workbook.h"

namespace zhv {

class XlsxWorkbookFiles : public IWorkbookFiles {
 public:
  bool Exists(const std::string& name) override;
  bool Write(const Workbook& book, const std::string& name, std::string& error) override;
  bool ReadNumbers(const std::string& name, const std::string& sheet, std::vector<std::vector<double>>& rows,
                   std::string& error) override;
};

}  // namespace zhv
