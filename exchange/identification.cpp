#include "exchange/identification.h"

#include <algorithm>

#include "exchange/exchange.h"
#include "protocol/catalogue.h"

namespace zhv {

bool SendProbe(Link& link) { return link.Send(cat::kProbe, {}); }

std::optional<std::uint8_t> IdentifyStep(Identification& id, Link& link) {
  if (!id.identified && id.retry > 0 && --id.retry == 0) {
    SendProbe(link);
    id.retry = kIdentifyRetryTicks;
  }
  if (!link.FrameReady()) return std::nullopt;
  link.TakeFrame();
  const Frame& f = link.Received();
  if (f.command != cat::kProbe || f.length != cat::kProbeAnswerLen) return std::nullopt;
  id.identified = true;
  return f.type;
}

bool IdentificationSilent(Identification& id, int tickMs) {
  if (id.identified || id.silenceTold) return false;
  id.unansweredMs += std::max(1, tickMs);
  if (id.unansweredMs < kSilenceNoticeMs) return false;
  id.silenceTold = true;
  return true;
}

}  // namespace zhv
