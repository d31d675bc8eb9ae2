// libFuzzer target: each input is a script of traffic and operator actions
// played against a fresh tool (session.h). At exit it reports what the run
// covered; with ZHV_FUZZ_MIN_FRAMES set it fails a run that fed fewer frames
// or left a state of the exchange unreached.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "tests/fuzz/session.h"

namespace {

using zhv::fuzz::SessionTotals;
using zhv::fuzz::Totals;

void Report() {
  const Totals& n = SessionTotals();
  int reached = 0;
  for (std::uint64_t ticks : n.stateTicks) reached += ticks > 0;
  const int states = static_cast<int>(n.stateTicks.size());
  std::fprintf(stderr,
               "exchange fuzz: %llu sessions, %llu frames to the tool (%llu with a good check byte), "
               "%llu requests from it, %llu ticks\n"
               "exchange fuzz: operator: %llu clicks, %llu entries, %llu pass phrase keys, %llu port "
               "double-clicks, %llu unplugs, %llu write refusals, %llu disk faults, %llu closes\n"
               "exchange fuzz: %llu read-outs, %llu records written; the poll cycle resumed after %llu chaoses\n"
               "exchange fuzz: %d of %d exchange states reached; ticks in each:",
               static_cast<unsigned long long>(n.sessions), static_cast<unsigned long long>(n.frames),
               static_cast<unsigned long long>(n.goodFrames), static_cast<unsigned long long>(n.requests),
               static_cast<unsigned long long>(n.ticks), static_cast<unsigned long long>(n.clicks),
               static_cast<unsigned long long>(n.entries), static_cast<unsigned long long>(n.keys),
               static_cast<unsigned long long>(n.doubleClicks), static_cast<unsigned long long>(n.unplugs),
               static_cast<unsigned long long>(n.refusedWrites), static_cast<unsigned long long>(n.diskFaults),
               static_cast<unsigned long long>(n.closes), static_cast<unsigned long long>(n.readOuts),
               static_cast<unsigned long long>(n.records), static_cast<unsigned long long>(n.resumed), reached,
               states);
  for (int s = 0; s < states; ++s)
    std::fprintf(stderr, " %d:%llu", s, static_cast<unsigned long long>(n.stateTicks[static_cast<std::size_t>(s)]));
  std::fprintf(stderr, "\n");

  const char* minimum = std::getenv("ZHV_FUZZ_MIN_FRAMES");
  if (!minimum) return;
  const bool enough = n.frames >= std::strtoull(minimum, nullptr, 10);
  if (!enough) std::fprintf(stderr, "exchange fuzz: FAILED: fewer than %s frames\n", minimum);
  if (reached < states) std::fprintf(stderr, "exchange fuzz: FAILED: a state was never reached\n");
  if (!enough || reached < states) _exit(1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit(Report);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zhv::fuzz::Session(zhv::fuzz::Script(data, size)).Run();
  return 0;
}
