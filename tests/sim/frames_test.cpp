#include "sim/frames.h"

#include <gtest/gtest.h>

#include "tests/sim/wire.h"

namespace zhv::sim::test {
namespace {

Bytes DataOf(const Frame& f) { return Bytes(f.Data().begin(), f.Data().end()); }

std::vector<Frame> ParseAll(FrameParser& p, const Bytes& bytes) {
  p.Feed(bytes.data(), bytes.size());
  std::vector<Frame> out;
  while (auto f = p.Next()) out.push_back(*f);
  return out;
}

TEST(FrameCodec, EncodesTheKnownFrames) {
  EXPECT_EQ(EncodeFrame(0x11, 0x00, Bytes{}), (Bytes{0x0D, 0x11, 0x00, 0x00, 0x1C}));
  EXPECT_EQ(EncodeFrame(0x11, 0x10, Bytes{0x00}), (Bytes{0x0D, 0x11, 0x10, 0x01, 0x00, 0x0D}));
  EXPECT_EQ(EncodeFrame(0x11, 0x60, Bytes{}), (Bytes{0x0D, 0x11, 0x60, 0x00, 0x7C}));
}

TEST(FrameCodec, ParsesEveryKindOfSplit) {
  const Bytes a = Request(0x90, {0x0D, 0x0D, 0x03});  // start bytes inside the data
  const Bytes b = Request(0x20);
  Bytes both = a;
  both.insert(both.end(), b.begin(), b.end());
  for (std::size_t cut = 0; cut <= both.size(); ++cut) {
    FrameParser p;
    auto frames = ParseAll(p, Bytes(both.begin(), both.begin() + static_cast<std::ptrdiff_t>(cut)));
    const auto rest = ParseAll(p, Bytes(both.begin() + static_cast<std::ptrdiff_t>(cut), both.end()));
    frames.insert(frames.end(), rest.begin(), rest.end());
    ASSERT_EQ(frames.size(), 2u) << "cut at " << cut;
    EXPECT_EQ(frames[0].command, 0x90);
    EXPECT_EQ(DataOf(frames[0]), (Bytes{0x0D, 0x0D, 0x03}));
    EXPECT_EQ(frames[1].command, 0x20);
    EXPECT_EQ(frames[1].length, 0);
  }
  FrameParser bytewise;
  int found = 0;
  for (auto byte : both) found += static_cast<int>(ParseAll(bytewise, {byte}).size());
  EXPECT_EQ(found, 2);
}

TEST(FrameCodec, SkipsGarbageAndDropsBadCheckBytes) {
  FrameParser p;
  Bytes bad = Request(0x60);
  bad.back() ^= 0x5A;
  Bytes stream{0x00, 0xFF, 0x42};
  stream.insert(stream.end(), bad.begin(), bad.end());
  const Bytes good = Request(0x4C);
  stream.insert(stream.end(), good.begin(), good.end());
  const auto frames = ParseAll(p, stream);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].command, 0x4C);
  EXPECT_FALSE(p.Partial());
}

TEST(FrameCodec, FindsAFrameBehindAStrayStartByte) {
  FrameParser p;
  Bytes stream{0x0D, 0x99};  // a stray start, then a long false frame
  const Bytes good = Request(0x20);
  stream.insert(stream.end(), good.begin(), good.end());
  // The stray start claims a length that the stream does not hold yet.
  EXPECT_TRUE(ParseAll(p, stream).empty());
  EXPECT_TRUE(p.Partial());
  p.DropStalled();
  auto f = p.Next();
  ASSERT_TRUE(f);
  EXPECT_EQ(f->command, 0x20);
}

TEST(FrameCodec, TakesTheLongestLength) {
  FrameParser p;
  const Bytes data(255, 0xA5);
  const auto frames = ParseAll(p, Request(0x77, data));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(DataOf(frames[0]), data);
  EXPECT_EQ(EncodeFrame(0x11, 0x77, Bytes(300, 1)).size(), 260u);
}

}  // namespace
}  // namespace zhv::sim::test
