// Identification: the probe repeated until a product answers, before the
// exchange with a gas alarm unit begins.
#pragma once

#include <cstdint>
#include <optional>

#include "link/link.h"

namespace zhv {

inline constexpr int kFirstIdentifyRetryTicks = 10;  // after the probe sent on opening the port
inline constexpr int kIdentifyRetryTicks = 20;

struct Identification {
  bool exchanging = false;  // a gas alarm unit answered: the exchange runs
  bool identified = false;  // a product answered the probe
  std::int32_t retry = 0;   // ticks until the probe is sent again
};

// The probe: command 0x00 with no data, under whatever device type is known.
bool SendProbe(Link& link);

// One tick of identification: sends the probe again when its time has come,
// and takes a held frame. Returns the device type when the frame answers the probe.
std::optional<std::uint8_t> IdentifyStep(Identification& id, Link& link);

}  // namespace zhv
