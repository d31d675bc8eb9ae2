// The machine as data: a row for each request it sends and for each answer it
// waits for. The tick runs the row of the current state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "exchange/exchange.h"

namespace zhv {

// The data bytes of a request (the clock setting, at seven, is the longest).
struct Payload {
  std::array<std::uint8_t, 7> bytes{};
  std::uint8_t size = 0;
};

struct Request {
  State state;           // the state that sends it
  std::uint8_t command;
  State next;            // where its answer is awaited
  Payload (*data)(Exchange&) = nullptr;
  // Runs first; false when it has moved the state on itself and nothing is sent.
  bool (*prepare)(Exchange&) = nullptr;
  // Where the answer is awaited when that depends on what was sent.
  State (*route)(Exchange&) = nullptr;
  bool whileClosing = false;  // the identification is sent even while closing
};

enum class Match : std::uint8_t { Exact, AtLeast };

struct Answer {
  std::uint8_t command;
  std::uint8_t length;
  Match match = Match::Exact;
  bool Fits(const Frame& f) const {
    return f.command == command && (match == Match::Exact ? f.length == length : f.length >= length);
  }
};

// How a wait counts its ticks toward the timeout: only those without a frame, or every one.
enum class Count : std::uint8_t { Frameless, EveryTick };

struct Await {
  State state;
  Answer answer;
  std::optional<Answer> alternative;  // accepted in its place
  Count count;
  State fallback;  // on a wrong frame or the 20th tick without one: the request is made again
  void (*accept)(Exchange&, const Frame&);
};

// Sends a request as its row says: unless closing parks the machine instead.
void SendRequest(Exchange& ex, const Request& request);

// The rows of the base unit's exchanges and of the storage jobs.
std::span<const Request> BaseRequests();
std::span<const Await> BaseAwaits();
std::span<const Request> StorageRequests();
std::span<const Await> StorageAwaits();

// The row of a state, if it has one.
const Request* RequestOf(State state);
const Await* AwaitOf(State state);

}  // namespace zhv
