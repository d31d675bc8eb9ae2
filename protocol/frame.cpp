#include "protocol/frame.h"

#include <algorithm>

namespace zhv {

std::vector<std::uint8_t> EncodeFrame(std::uint8_t type, std::uint8_t command, std::span<const std::uint8_t> data) {
  const std::size_t n = std::min<std::size_t>(data.size(), 255);
  std::vector<std::uint8_t> frame;
  frame.reserve(n + 5);
  for (std::uint8_t b : {kFrameStart, type, command, static_cast<std::uint8_t>(n)}) frame.push_back(b);
  for (std::size_t i = 0; i < n; ++i) frame.push_back(data[i]);
  std::uint8_t check = 0;
  for (std::uint8_t b : frame) check ^= b;
  frame.push_back(check);
  return frame;
}

FrameParser::Took FrameParser::Take(std::uint8_t b) {
  switch (state_) {
    case State::Start:
      if (b != kFrameStart) return Took::Skipped;
      check_ = kFrameStart;
      state_ = State::Type;
      return Took::Started;
    case State::Type:
      frame_.type = b;
      state_ = State::Command;
      break;
    case State::Command:
      frame_.command = b;
      state_ = State::Length;
      break;
    case State::Length:
      frame_.length = b;
      index_ = 0;
      state_ = b == 0 ? State::CheckNoData : State::Data;
      break;
    case State::Data:
      // The length byte is at most 255 and the data holds 256: the index stays inside.
      frame_.data[index_] = b;
      ++index_;
      if (index_ == frame_.length) state_ = State::Check;
      break;
    case State::CheckNoData:
    case State::Check:
      state_ = State::Start;
      return b == check_ ? Took::Good : Took::Bad;
  }
  check_ ^= b;
  return Took::Byte;
}

}  // namespace zhv
