#include "sim/frames.h"

#include <algorithm>

namespace zhv::sim {

void FrameParser::Feed(const std::uint8_t* bytes, std::size_t count) {
  buffer_.insert(buffer_.end(), bytes, bytes + count);
  SkipToStart();
}

void FrameParser::SkipToStart() {
  buffer_.erase(buffer_.begin(), std::find(buffer_.begin(), buffer_.end(), kFrameStart));
}

void FrameParser::DropStalled() {
  if (buffer_.empty()) return;
  buffer_.erase(buffer_.begin());
  SkipToStart();
}

std::optional<Frame> FrameParser::Next() {
  using Took = zhv::FrameParser::Took;
  while (!buffer_.empty()) {
    zhv::FrameParser parser;
    std::size_t used = 0;
    Took took = Took::Skipped;
    while (used < buffer_.size() && took != Took::Good && took != Took::Bad) took = parser.Take(buffer_[used++]);
    if (took == Took::Good) {
      Frame frame = parser.frame();
      buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(used));
      SkipToStart();
      return frame;
    }
    if (took != Took::Bad) return std::nullopt;  // the rest has not come yet
    DropStalled();                                // look again after this start byte
  }
  return std::nullopt;
}

}  // namespace zhv::sim
