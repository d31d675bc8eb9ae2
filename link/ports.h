// The serial ports present, as the port list shows them: each one's COM name cut
// out of its friendly name, and whether it can be opened at this moment.
#pragma once

#include <optional>
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

// The adapter of a connection whose device went, looked for among the present ports.
struct LostPort {
  std::string name;          // as opened: "ttyUSB0", "/dev/pts/3"
  std::string serialNumber;  // empty when the adapter has none
};

// The name to open when the lost adapter is present again: the same name with
// the same serial number (or none, as before), or the one port that has its
// serial number under another name. A port of another adapter that took the
// lost one's name is not it.
std::optional<std::string> FindReturnedPort(const std::vector<PortInfo>& present, const LostPort& lost);

}  // namespace zhv
