// Frames built and checked by hand, independently of the unit's own codec.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "sim/unit.h"

namespace zhv::sim::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Request(std::uint8_t command, Bytes data = {}, std::uint8_t type = 0x11) {
  Bytes f;
  f.push_back(0x0D);
  f.push_back(type);
  f.push_back(command);
  f.push_back(static_cast<std::uint8_t>(data.size()));
  for (auto b : data) f.push_back(b);
  std::uint8_t x = 0;
  for (auto b : f) x ^= b;
  f.push_back(x);
  return f;
}

struct Reply {
  std::uint8_t type = 0;
  std::uint8_t command = 0;
  Bytes data;
};

// Splits what the unit sent into frames, failing the test on anything that is
// not a well-formed frame with a correct check byte.
inline std::vector<Reply> SplitFrames(const Bytes& bytes) {
  std::vector<Reply> out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (bytes[i] != 0x0D || i + 4 > bytes.size()) {
      ADD_FAILURE() << "no frame start or header cut at byte " << i;
      return out;
    }
    const std::size_t total = 5u + bytes[i + 3];
    if (i + total > bytes.size()) {
      ADD_FAILURE() << "frame at byte " << i << " is cut short";
      return out;
    }
    std::uint8_t x = 0;
    for (std::size_t k = 0; k < total; ++k) x ^= bytes[i + k];
    EXPECT_EQ(x, 0) << "bad check byte in frame at byte " << i;
    out.push_back({bytes[i + 1], bytes[i + 2], Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(i + 4),
                                                     bytes.begin() + static_cast<std::ptrdiff_t>(i + total - 1))});
    i += total;
  }
  return out;
}

// Sends one request and returns the single answer, if exactly one came.
inline std::optional<Reply> Ask(Unit& unit, std::uint8_t command, Bytes data = {}) {
  unit.Feed(Request(command, std::move(data), unit.options().deviceType));
  const auto frames = SplitFrames(unit.TakeOutput());
  if (frames.size() > 1) ADD_FAILURE() << frames.size() << " answers to one request";
  if (frames.size() != 1) return std::nullopt;
  return frames[0];
}

// Sends one request and returns every answer that came.
inline std::vector<Reply> Answers(Unit& unit, std::uint8_t command, Bytes data = {}) {
  unit.Feed(Request(command, std::move(data), unit.options().deviceType));
  return SplitFrames(unit.TakeOutput());
}

// The data of the one answer to a request. No answer throws: the test fails
// there, and the program goes on to the next.
inline Bytes AnswerTo(Unit& unit, std::uint8_t command, Bytes data = {}) {
  auto reply = Ask(unit, command, std::move(data));
  if (!reply) {
    std::ostringstream what;
    what << "no answer to request 0x" << std::hex << int(command);
    throw std::runtime_error(what.str());
  }
  return std::move(reply->data);
}

// Little-endian fields; reading past the data throws, as above.
inline int Word(const Bytes& d, std::size_t at) { return d.at(at) | d.at(at + 1) << 8; }

inline std::uint32_t Le32(const Bytes& d, std::size_t at) {
  return d.at(at) | d.at(at + 1) << 8 | d.at(at + 2) << 16 | static_cast<std::uint32_t>(d.at(at + 3)) << 24;
}

}  // namespace zhv::sim::test
