// The save dialog SaveDialog1030 over QFileDialog.
#pragma once

#include "platform/platform.h"

namespace zhv {

class QtSaveDialog : public ISaveDialog {
 public:
  bool Execute(std::string& fileName) override;
};

}  // namespace zhv
