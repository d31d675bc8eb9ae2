// Core time per accepted status response: receive, state machine, every decoder
// and the four chart rings, for a two-channel storage unit under USB control.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "app/tool.h"
#include "platform/fakes.h"
#include "protocol/catalogue.h"
#include "protocol/frame.h"

using namespace zhv;
using Bytes = std::vector<std::uint8_t>;

static Bytes UnitFrame(std::uint8_t command, const Bytes& data) {
  return EncodeFrame(cat::kTypeStorage, command, data);
}

static Bytes StatusAnswer(int i) {
  Bytes d(32, 0);
  d[0] = 0x03;
  d[1] = 0x21;
  const int conc = static_cast<int>(150 + 100 * std::sin(i / 10.0));
  d[8] = 1;
  d[9] = 0x01;
  d[10] = conc & 0xFF;
  d[11] = (conc >> 8) & 0x3F;
  d[12] = (4000 + i) & 0xFF;
  d[13] = ((4000 + i) >> 8) & 0xFF;
  d[18] = 23;
  d[19] = 0x01;
  d[20] = (i % 200) & 0xFF;
  d[29] = static_cast<std::uint8_t>(20 + i % 5);
  return d;
}

int main() {
  fake::Services s;
  Tool t(s.platform());
  s.ports.list = {{"bench", "bench (COM1)"}};
  t.FormCreate();
  t.f.ListView1.SetSelected(0);
  t.f.ListView1.DblClick();
  s.port.Feed(UnitFrame(cat::kProbe, {}));
  t.PollTick();
  t.PollTick();
  s.port.Feed(UnitFrame(cat::kUnitControl, {0x03, 0x21, 130, cat::kGasCombined << 2, 0x34, 0x12}));
  t.PollTick();
  t.PollTick();
  s.port.Feed(UnitFrame(cat::kReadParams, Bytes(cat::kParamsAnswerLen, 0)));
  t.PollTick();

  const int responses = 20000;
  std::vector<Bytes> frames;
  for (int i = 0; i < responses; ++i) frames.push_back(UnitFrame(cat::kReadStatus, StatusAnswer(i)));
  double total = 0;
  int accepted = 0;
  for (int i = 0; i < responses; ++i) {
    // Straight to the status request: only the response path is timed.
    t.exchange.poll.state = State::StatusIdle;
    t.PollTick();
    s.port.Feed(frames[static_cast<std::size_t>(i)]);
    const int before = t.exchange.poll.packetCounter;
    const auto start = std::chrono::steady_clock::now();
    t.PollTick();
    total += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    accepted += t.exchange.poll.packetCounter - before;
    t.f.TakeDirty();  // what the view would take each flush
    s.port.writes.clear();
  }
  if (accepted != responses) {
    std::fprintf(stderr, "only %d of %d status responses were accepted\n", accepted, responses);
    return 1;
  }
  std::printf("status responses: %d, core time per accepted response: %.2f us\n", accepted,
              total / accepted);
  return 0;
}
