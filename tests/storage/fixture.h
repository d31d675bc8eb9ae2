// A storage unit (device type 0x11) under USB control behind the scripted fake
// port, connected and idle: each test posts a job and answers its requests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tool.h"
#include "exchange/startup.h"
#include "platform/fakes.h"
#include "sim/frames.h"
#include "storage/records.h"

namespace zhv::test {

using Bytes = std::vector<std::uint8_t>;

struct FakeUnit : ::testing::Test {
  fake::Services s;
  Tool t{s.platform()};

  void SetUp() override { Connect(); }

  void Answer(std::uint8_t command, const Bytes& data) { s.port.Feed(sim::EncodeFrame(0x11, command, data)); }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) Timer1Timer(t);
  }
  std::size_t Sent() const { return s.port.writes.size(); }
  // The last request: its command, then its data bytes.
  Bytes LastRequest() const {
    const Bytes& w = s.port.writes.back();
    Bytes out(w.begin() + 3, w.end() - 1);
    out[0] = w[2];
    return out;
  }
  // Ticks until a request goes out (at most `limit` ticks); false if none did.
  bool TickUntilSent(int limit = 50) {
    const std::size_t before = Sent();
    for (int i = 0; i < limit; ++i) {
      Tick();
      if (Sent() > before) return true;
    }
    return false;
  }

  // Ticks until a request with this command goes out (true), answering the
  // poll's own status requests on the way; false after `limit` ticks.
  bool RunUntilRequest(std::uint8_t command, int limit = 300) {
    for (int i = 0; i < limit; ++i) {
      const std::size_t before = Sent();
      Tick();
      if (Sent() == before) continue;
      const std::uint8_t sent = LastRequest()[0];
      if (sent == command) return true;
      if (sent == 0x4C) AnswerStorageStatus();
      if (sent == 0x20) Answer(0x20, UnitStatus());
    }
    return false;
  }

  static Bytes UnitStatus() {
    Bytes status(32, 0);
    status[0] = 0x03;  // USB control on: editing unlocks at each command finish
    return status;
  }

  // Identification, parameter block and status, answered at once; the machine
  // then idles in state 6, where the next tick takes a pending command.
  void Connect() {
    s.ports.list = {{"USB Serial Port", "USB Serial Port (COM3)"}};
    FormCreate(t);
    t.f.ListView1.SetSelected(0);
    t.f.ListView1.DblClick();
    Answer(0x00, {});
    Tick(2);
    Answer(0x10, {0x03, 0x21, 130, 27 << 2, 0x34, 0x12});
    Tick(2);
    Answer(0x60, Bytes(30, 0));
    Tick(2);
    Answer(0x20, UnitStatus());
    Tick();
    ASSERT_EQ(t.r.state, 6);
    t.r.referenceYear = kReferenceYear;  // as a storage status would have set it
    t.r.referenceYearKnown = 1;
    ASSERT_TRUE(t.f.Button1030.Enabled());
  }

  static constexpr std::uint16_t kReferenceYear = 2020;

  void AnswerStorageStatus() {
    Bytes d(32, 0);
    d[10] = kReferenceYear & 0xFF;
    d[11] = kReferenceYear >> 8;
    Answer(0x4C, d);
  }
};

// A record that differs from its neighbours by its index.
inline std::array<std::uint8_t, kRecordSize> TestRecord(int index) {
  std::array<std::uint8_t, kRecordSize> r{};
  r[0] = static_cast<std::uint8_t>(index % 7 == 0);
  r[1] = static_cast<std::uint8_t>(index);  // seconds and minutes of the time stamp
  r[2] = static_cast<std::uint8_t>(index >> 8);
  r[5] = 0x04;
  r[7] = 1;
  r[9] = static_cast<std::uint8_t>(index);
  r[10] = static_cast<std::uint8_t>(index >> 8 & 0x3F);
  return r;
}

// A records frame's data: the count byte, an address, then the records first..first+n-1.
inline Bytes Block(int count, int first, int n) {
  Bytes d{static_cast<std::uint8_t>(count), 0x00, 0x60, 0x00, 0x08};
  for (int i = first; i < first + n; ++i) {
    const auto r = TestRecord(i);
    d.insert(d.end(), r.begin(), r.end());
  }
  return d;
}

// The file text the records first..first+n-1 render to.
inline std::string Rendered(int first, int n, Layout layout = Layout::Spreadsheet,
                            std::uint16_t year = FakeUnit::kReferenceYear) {
  std::string out;
  for (int i = first; i < first + n; ++i) {
    const auto r = TestRecord(i);
    AppendRecord(out, StorageRecord(r), year, layout);
  }
  return out;
}

}  // namespace zhv::test
