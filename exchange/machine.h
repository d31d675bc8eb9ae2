// The exchange state machine: one state per poll tick.
#pragma once

namespace zhv {

struct Tool;

void ExchangeTick(Tool& t);

}  // namespace zhv
