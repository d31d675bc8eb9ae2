// One fuzzed session of the tool: connected to a fake port, a script plays
// arbitrary traffic and operator actions (the chaos), then a well-behaved
// simulated unit answers (the calm) and the poll cycle must come back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/tool.h"
#include "exchange/states.h"
#include "platform/fakes.h"
#include "sim/unit.h"
#include "tests/fuzz/script.h"

namespace zhv::fuzz {

// Counts over every session of the process, for the closing report.
struct Totals {
  std::uint64_t sessions = 0, frames = 0, goodFrames = 0, requests = 0, ticks = 0;
  std::uint64_t clicks = 0, entries = 0, keys = 0, doubleClicks = 0;
  std::uint64_t unplugs = 0, refusedWrites = 0, diskFaults = 0, closes = 0;
  std::uint64_t readOuts = 0, records = 0, resumed = 0;
  std::array<std::uint64_t, kStateCount> stateTicks{};
};
Totals& SessionTotals();

class Session {
 public:
  explicit Session(Script script);
  void Run();

 private:
  void Connect();

  // --- the chaos
  void Chaos();
  void Answer(bool broken);
  void AnyFrame();
  void Noise();
  void Click();
  void Type();
  void PassPhrase();
  void Press(std::initializer_list<Control*> controls);
  void StartReadOut(std::uint8_t how);
  void Sequence();
  void DoubleClickPort();
  void Unplug();
  void Close();
  void Feed(const std::vector<std::uint8_t>& frame, bool good);

  // --- the calm
  void Calm();

  // --- time and what the tool sent
  void Tick(int n);
  void TakeWrites();

  // --- what must hold after every step
  void Check();
  void CheckExport();
  [[noreturn]] void Fail(const char* what) const;
  void Require(bool ok, const char* what) const {
    if (!ok) Fail(what);
  }

  fake::Services s;
  Tool t{s.platform()};
  Script in_;
  const std::vector<Control*> pressable_;  // buttons, check boxes, radio buttons
  const std::vector<Control*> edits_;
  std::optional<sim::Unit> unit_;  // the calm's unit
  std::vector<std::uint8_t> lastRequest_;
  bool closed_ = false;
  bool readOutRunning_ = false;
  std::size_t recordsBefore_ = 0;  // records in the files when the running read-out began
  std::array<std::uint8_t, 16> trail_{};  // the last steps, for a failure's report
  std::size_t steps_ = 0;
};

}  // namespace zhv::fuzz
