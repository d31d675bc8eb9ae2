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
  std::int32_t unansweredMs = 0;  // since the port was opened, while nothing answers
  bool silenceTold = false;
};

// The probe: command 0x00 with no data, under whatever device type is known.
bool SendProbe(Link& link);

// One tick of identification: sends the probe again when its time has come,
// and takes a held frame. Returns the device type when the frame answers the probe.
std::optional<std::uint8_t> IdentifyStep(Identification& id, Link& link);

// Counts a tick of this length while no product has answered; true once, on
// the tick the probe has gone unanswered for five seconds. The probe goes on.
bool IdentificationSilent(Identification& id, int tickMs);

}  // namespace zhv
