// The workbook written with libxlsxwriter; renamed into place once whole.
#pragma once

#include "platform/workbook.h"

namespace zhv {

class XlsxWorkbookFiles : public IWorkbookFiles {
 public:
  bool Exists(const std::string& name) override;
  bool Write(const Workbook& book, const std::string& name, std::string& error) override;
};

}  // namespace zhv
