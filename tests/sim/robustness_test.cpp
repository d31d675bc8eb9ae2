// Whatever the tool sends, the unit answers only with well-formed frames.
#include <gtest/gtest.h>

#include <random>

#include "sim/unit.h"
#include "tests/sim/wire.h"

namespace zhv::sim::test {
namespace {

constexpr std::uint8_t kKnown[] = {0x00, 0x10, 0x60, 0x20, 0x90, 0x34, 0x30, 0xA0,
                                   0x4C, 0x40, 0x48, 0x50, 0x58, 0x5C, 0x38};

TEST(UnitRobustness, RandomFramesAndNoiseGiveOnlyGoodAnswers) {
  std::mt19937 rng(2024);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> shortLength(0, 8);
  Unit unit;
  std::size_t answers = 0;
  for (int i = 0; i < 20000; ++i) {
    Bytes chunk;
    if (i % 3 == 0) {
      for (int k = shortLength(rng); k > 0; --k) chunk.push_back(static_cast<std::uint8_t>(byte(rng)));
    } else {
      // A well-checked frame of any command, mostly short, its data random.
      const int length = i % 50 == 1 ? byte(rng) : shortLength(rng);
      Bytes data;
      for (int k = 0; k < length; ++k) data.push_back(static_cast<std::uint8_t>(byte(rng)));
      const std::uint8_t command = i % 2 ? kKnown[static_cast<std::size_t>(byte(rng)) % std::size(kKnown)]
                                         : static_cast<std::uint8_t>(byte(rng));
      chunk = Request(command, data, static_cast<std::uint8_t>(byte(rng)));
    }
    unit.Feed(chunk);
    if (i % 7 == 0) unit.Step(static_cast<std::uint32_t>(byte(rng)));
    for (const Reply& r : SplitFrames(unit.TakeOutput())) {
      ++answers;
      EXPECT_EQ(r.type, 0x11);
    }
  }
  EXPECT_GT(answers, 100u) << "the random requests did reach the handlers";
}

}  // namespace
}  // namespace zhv::sim::test
