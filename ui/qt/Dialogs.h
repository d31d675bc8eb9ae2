// The tool's questions and file choices over Qt's message box and file dialog,
// in Russian whatever language the PC speaks.
#pragma once

#include "platform/platform.h"

namespace zhv {

class QtDialogs : public IDialogs {
 public:
  bool Ask(const std::string& question, bool yesByDefault) override;
  bool AskWithTicks(const std::string& question, std::vector<TickItem>& ticks, bool yesByDefault) override;
  bool ChooseFileToOpen(std::string& fileName, const std::string& filter) override;
  bool ChooseFileToSave(std::string& fileName, const std::string& filter) override;
};

}  // namespace zhv
