// The one set-up every test program shares: a fresh tool on fake platform
// services, connected to a unit and ticked. ToolTest answers by hand behind a
// scripted port; SimTest runs the simulated unit in-process.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/tool.h"
#include "platform/fakes.h"
#include "protocol/catalogue.h"
#include "protocol/frame.h"
#include "sim/port.h"
#include "sim/unit.h"

namespace zhv {
// Failures name states and pending commands by their numbers, not as raw bytes.
inline void PrintTo(State s, std::ostream* os) { *os << "State " << static_cast<int>(s); }
inline void PrintTo(Pending p, std::ostream* os) { *os << "Pending " << static_cast<int>(p); }
}  // namespace zhv

namespace zhv::test {

using Bytes = std::vector<std::uint8_t>;

// What a unit answers, for a test to send.
inline Bytes IdentificationData(std::uint8_t status0, std::uint8_t gasKind) {
  return {status0, 0x21, 130, static_cast<std::uint8_t>(gasKind << 2), 0x34, 0x12};
}
// A status with both channels working: natural gas on channel 1, CO on channel 2.
inline Bytes StatusData(std::uint8_t status0) {
  Bytes d(cat::kStatusAnswerLen, 0);
  d[0] = status0;
  d[8] = cat::kGasCH4;
  d[9] = 0x01;
  d[18] = cat::kGasCO;
  d[19] = 0x01;
  return d;
}
inline Bytes StorageStatusData(std::uint16_t referenceYear) {
  Bytes d(cat::kStorageStatusAnswerLen, 0);
  d[10] = static_cast<std::uint8_t>(referenceYear & 0xFF);
  d[11] = static_cast<std::uint8_t>(referenceYear >> 8);
  return d;
}

// The tool behind a scripted port: every request is answered by the test.
class ToolTest : public ::testing::Test {
 protected:
  static constexpr std::uint16_t kReferenceYear = 2020;

  fake::Services s;
  Tool t{s.platform()};
  std::uint8_t type = cat::kTypeStorage;  // the device type the answers carry

  PollState& poll() { return t.exchange.poll; }
  StorageJobs& jobs() { return t.exchange.jobs; }
  State state() const { return t.exchange.poll.state; }
  Pending pending() const { return t.exchange.poll.pending; }

  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) t.PollTick();
  }
  void Answer(std::uint8_t command, const Bytes& data) { s.port.Feed(EncodeFrame(type, command, data)); }
  std::size_t Sent() const { return s.port.writes.size(); }
  // The last request: its command, then its data bytes.
  Bytes LastRequest() const {
    if (s.port.writes.empty()) return {};
    const Bytes& w = s.port.writes.back();
    Bytes out{w[2]};
    out.insert(out.end(), w.begin() + 4, w.end() - 1);
    return out;
  }
  // Ticks until a request goes out; false if none did within `limit` ticks.
  bool TickUntilSent(int limit = 50) {
    const std::size_t before = Sent();
    for (int i = 0; i < limit; ++i) {
      Tick();
      if (Sent() > before) return true;
    }
    return false;
  }
  // Ticks until a request with this command goes out, answering the poll's own
  // status requests on the way; false after `limit` ticks.
  bool RunUntilRequest(std::uint8_t command, int limit = 300) {
    for (int i = 0; i < limit; ++i) {
      const std::size_t before = Sent();
      Tick();
      if (Sent() == before) continue;
      const std::uint8_t sent = LastRequest()[0];
      if (sent == command) return true;
      if (sent == cat::kStorageStatus) Answer(cat::kStorageStatus, StorageStatusData(kReferenceYear));
      if (sent == cat::kReadStatus) Answer(cat::kReadStatus, StatusData(0x03));
    }
    return false;
  }

  // One port listed and opened: the probe is on the wire.
  void OpenPort() {
    s.ports.list = {{"USB Serial Port", "USB Serial Port (COM3)"}};
    t.FormCreate();
    t.f.ListView1.SetSelected(0);
    t.f.ListView1.DblClick();
  }
  // ... and answered: the exchange starts on the next tick.
  void Identify(std::uint8_t deviceType) {
    type = deviceType;
    OpenPort();
    Answer(cat::kProbe, {});
    Tick();
    ASSERT_TRUE(t.identification.exchanging);
  }
  // Identification, parameter block and status answered at once: the machine
  // idles, and its next tick takes a pending command. USB control is on by
  // default, so editing is unlocked.
  void Connect(std::uint8_t deviceType = cat::kTypeStorage, std::uint8_t gasKind = cat::kGasCombined,
               std::uint8_t status0 = 0x03) {
    Identify(deviceType);
    Tick();
    Answer(cat::kUnitControl, IdentificationData(status0, gasKind));
    Tick(2);
    Answer(cat::kReadParams, Bytes(cat::kParamsAnswerLen, 0));
    Tick(2);
    Answer(cat::kReadStatus, StatusData(status0));
    Tick();
    ASSERT_EQ(state(), State::Idle);
  }
  // Types a date and time into the clock edits of the storage tab.
  void EnterClock(const char* day, const char* month, const char* year, const char* hour, const char* minute,
                  const char* second) {
    Control* edits[] = {&t.f.Edit10221, &t.f.Edit10222, &t.f.Edit10223, &t.f.Edit10224, &t.f.Edit10225, &t.f.Edit10226};
    const char* texts[] = {day, month, year, hour, minute, second};
    for (int i = 0; i < 6; ++i) edits[i]->SetText(texts[i]);
  }
  // The storage status has come: read-outs need its reference year.
  void KnowReferenceYear() {
    jobs().referenceYear = kReferenceYear;
    jobs().referenceYearKnown = true;
  }
};

// The tool against the simulated unit in-process; the unit's time moves on by
// each tick's length.
class SimTest : public ::testing::Test {
 protected:
  sim::Unit unit;
  sim::SimPort port{unit};
  fake::Services s;
  std::unique_ptr<Tool> tool;

  Tool& t() { return *tool; }
  PollState& poll() { return tool->exchange.poll; }

  // A unit of this type and kind, warmed up, its port opened; nothing answered yet.
  void Open(sim::Options o, PortInfo adapter = {"Simulated unit", "Simulated unit (SIM1)"}) {
    port.Close();
    unit = sim::Unit(o);
    s.ports.list = {adapter};
    tool = std::make_unique<Tool>(s.platform(port));
    s.pump.onPump = [this] { Tick(); };
    tool->FormCreate();
    tool->f.ListView1.SetSelected(0);
    tool->f.ListView1.DblClick();
    ASSERT_TRUE(tool->link.IsOpen());
  }
  static sim::Options UnitOptions(std::uint8_t type = cat::kTypeStorage, std::uint8_t gas = cat::kGasCombined) {
    sim::Options o;
    o.deviceType = type;
    o.gasKind = gas;
    o.warmUpMs = 0;
    return o;
  }
  // Identified, polled, and under USB control: editing unlocked.
  void Start(sim::Options o = UnitOptions()) {
    Open(o);
    Tick(200);
    tool->f.Button102.Click();
    Tick(100);
    ASSERT_TRUE(unit.UsbControl());
    ASSERT_TRUE(tool->f.Button123.Enabled());
  }
  void Tick(int n = 1) {
    for (int i = 0; i < n && tool->f.Timer1.Enabled(); ++i) {
      port.Step(static_cast<std::uint32_t>(tool->f.Timer1.Interval()));
      tool->PollTick();
    }
  }
  void Seconds(double seconds) { Tick(static_cast<int>(seconds * 100)); }
  // Ticks until the unit has heard one more request `command`; false if it never came.
  bool UntilRequest(std::uint8_t command, int limit = 200) {
    const int before = unit.RequestCount(command);
    for (int i = 0; i < limit; ++i) {
      Tick();
      if (unit.RequestCount(command) > before) return true;
    }
    return false;
  }
  // Through the command and the re-read after it, back to idle polling.
  void Settle() {
    for (int i = 0; i < 500 && !(poll().pending == Pending::None && poll().state == State::Idle); ++i) Tick();
    ASSERT_EQ(poll().pending, Pending::None);
    ASSERT_EQ(poll().state, State::Idle);
  }
};

}  // namespace zhv::test

// --- Answers built byte by byte, for the pure parsers and presenters (decode/answers.h).
#include <initializer_list>
#include <utility>

namespace zhv::test {

// A 32-byte answer of this device type, every data byte zero.
inline Frame Answer32(std::uint8_t deviceType = cat::kTypeStorage) {
  Frame f;
  f.type = deviceType;
  f.length = 32;
  return f;
}
// Sets data bytes: {index, value} pairs.
inline void SetData(Frame& f, std::initializer_list<std::pair<int, int>> bytes) {
  for (auto [at, value] : bytes) f.data.at(static_cast<std::size_t>(at)) = static_cast<std::uint8_t>(value);
}
// A little-endian word at data byte `at`.
inline void SetDataWord(Frame& f, int at, int word) { SetData(f, {{at, word & 0xFF}, {at + 1, (word >> 8) & 0xFF}}); }

}  // namespace zhv::test

// --- A tool of its own against any responder: the simulated unit, or a session log replayed.
namespace zhv::test {

struct ServedTool {
  explicit ServedTool(sim::Responder& responder) : port(responder), tool(s.platform(port)) {
    s.ports.list = {{"Simulated unit", "Simulated unit (SIM1)"}};
  }
  // The port listed and opened, as the operator's double-click does.
  void Open() {
    tool.FormCreate();
    tool.f.ListView1.SetSelected(0);
    tool.f.ListView1.DblClick();
  }
  // Each tick, the responder's time moves on by the tick's length first.
  void Tick(int n = 1) {
    for (int i = 0; i < n && tool.f.Timer1.Enabled(); ++i) {
      port.Step(static_cast<std::uint32_t>(tool.f.Timer1.Interval()));
      tool.PollTick();
    }
  }

  fake::Services s;
  sim::SimPort port;
  Tool tool;
};

}  // namespace zhv::test
