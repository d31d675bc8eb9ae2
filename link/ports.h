// The serial ports present, as the port list shows them: each one's COM name cut
// out of its friendly name, and whether it can be opened at this moment.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace zhv {

enum class Availability { Unnamed, Available, Busy, NoAccess, Missing };

struct PortRow {
  std::string description;
  std::string com;  // "Unknown" when the friendly name names none
  Availability availability = Availability::Unnamed;
};

// The COM name inside a friendly name such as "USB Serial Port (COM7)", or "Unknown".
std::string ComNameFromFriendlyName(const std::string& friendlyName);

// One row per present port; each named port is opened and closed again to see
// whether it is free. Only while the tool itself holds no port.
std::vector<PortRow> SurveyPorts(const std::vector<PortInfo>& present, ISerialPort& port);

}  // namespace zhv
