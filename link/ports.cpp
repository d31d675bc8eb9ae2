#include "link/ports.h"

namespace zhv {

namespace {

Availability AvailabilityOf(OpenRefusal why) {
  switch (why) {
    case OpenRefusal::NoAccess: return Availability::NoAccess;
    case OpenRefusal::Missing: return Availability::Missing;
    case OpenRefusal::Busy: break;
  }
  return Availability::Busy;
}

}  // namespace

std::string ComNameFromFriendlyName(const std::string& friendlyName) {
  if (friendlyName.empty() || friendlyName.back() != ')') return "Unknown";
  const std::size_t close = friendlyName.size() - 1;
  const std::size_t open = friendlyName.rfind('(', close == 0 ? 0 : close - 1);
  if (close == 0 || open == std::string::npos) return "Unknown";
  return friendlyName.substr(open + 1, close - open - 1);
}

std::vector<PortRow> SurveyPorts(const std::vector<PortInfo>& present, ISerialPort& port) {
  std::vector<PortRow> rows;
  rows.reserve(present.size());
  for (const PortInfo& info : present) {
    PortRow row{info.description, ComNameFromFriendlyName(info.friendlyName), Availability::Unnamed};
    if (row.com != "Unknown") {
      if (port.Open(row.com)) {
        port.Close();
        row.availability = Availability::Available;
      } else {
        row.availability = AvailabilityOf(port.LastRefusal());
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::optional<std::string> FindReturnedPort(const std::vector<PortInfo>& present, const LostPort& lost) {
  std::vector<std::string> sameSerial;
  for (const PortInfo& info : present) {
    const std::string name = ComNameFromFriendlyName(info.friendlyName);
    if (name == "Unknown" || info.serialNumber != lost.serialNumber) continue;
    if (name == lost.name) return name;
    sameSerial.push_back(name);
  }
  // An adapter of several ports gives each the same number: then the name decides.
  if (!lost.serialNumber.empty() && sameSerial.size() == 1) return sameSerial.front();
  return std::nullopt;
}

}  // namespace zhv
