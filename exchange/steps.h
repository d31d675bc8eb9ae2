// The building blocks every state of the exchange is made of: the request,
// the wait with its fallback, the idle look at the pending command, and the
// two endings an operator command has.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace zhv {

struct Tool;
struct ExchangeRecord;

inline constexpr int kResponseTimeoutTicks = 20;

// The opening of every request state but the first: while closing, park instead of sending.
bool Parked(ExchangeRecord& r);

// Resets the timeout, fills the request buffer and sends it.
void Send(Tool& t, std::uint8_t command, std::initializer_list<std::uint8_t> data);
// The same, with the timeout left running (the acknowledgement of a block).
void SendKeepingTimeout(Tool& t, std::uint8_t command, std::initializer_list<std::uint8_t> data);

// How a wait counts its ticks: only the ticks without a frame, or every tick.
enum class Count { Frameless, EveryTick };

// True when the held frame is the expected answer (it is consumed); falls back
// to `retry` on a wrong frame or on the 20th tick without one. A wrong frame is
// a stale answer to a request given up on: what else has arrived by then is
// dropped with it, or each such answer would fail the next wait in turn and
// every request after it would be sent twice.
bool Await(Tool& t, std::uint8_t command, std::uint8_t length, std::int32_t retry,
           Count count = Count::Frameless);
// The same for the answers whose length only has a lower bound: length >= minLength.
bool AwaitAtLeast(Tool& t, std::uint8_t command, std::uint8_t minLength, std::int32_t retry,
                  Count count = Count::Frameless);

// The same for a request the unit may answer in either of two ways.
struct Answer {
  std::uint8_t command, length;
};
bool AwaitEither(Tool& t, Answer first, Answer second, std::int32_t retry, Count count);

// An idle state's first look: jumps to the pending command's first state. A
// requested read-out that has lost the slot before it began (another command
// took it, or a running command's finish cleared it) is dropped.
bool TakePending(Tool& t);

// The control buttons back, the editing lock decided, nothing pending.
void CommandFinish(Tool& t);
// After every base unit command the parameter block is read again.
void ReReadFinish(Tool& t);

}  // namespace zhv
