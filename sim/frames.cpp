#include "sim/frames.h"

#include <algorithm>

namespace zhv::sim {

namespace {
constexpr std::size_t kHeader = 4;  // start, type, command, length
}

std::vector<std::uint8_t> EncodeFrame(std::uint8_t type, std::uint8_t command,
                                      const std::vector<std::uint8_t>& data) {
  const std::size_t n = std::min<std::size_t>(data.size(), 255);
  std::vector<std::uint8_t> frame;
  frame.reserve(kHeader + n + 1);
  frame.push_back(kFrameStart);
  frame.push_back(type);
  frame.push_back(command);
  frame.push_back(static_cast<std::uint8_t>(n));
  std::uint8_t check = kFrameStart ^ type ^ command ^ static_cast<std::uint8_t>(n);
  for (std::size_t i = 0; i < n; ++i) {
    frame.push_back(data[i]);
    check ^= data[i];
  }
  frame.push_back(check);
  return frame;
}

void FrameParser::Feed(const std::uint8_t* bytes, std::size_t count) {
  buffer_.insert(buffer_.end(), bytes, bytes + count);
  SkipToStart();
}

void FrameParser::SkipToStart() {
  auto start = std::find(buffer_.begin(), buffer_.end(), kFrameStart);
  buffer_.erase(buffer_.begin(), start);
}

void FrameParser::DropStalled() {
  if (buffer_.empty()) return;
  buffer_.erase(buffer_.begin());
  SkipToStart();
}

std::optional<Frame> FrameParser::Next() {
  while (buffer_.size() > kHeader - 1) {
    const std::size_t n = buffer_[3];
    const std::size_t total = kHeader + n + 1;
    if (buffer_.size() < total) return std::nullopt;
    std::uint8_t check = 0;
    for (std::size_t i = 0; i < total; ++i) check ^= buffer_[i];
    if (check != 0) {
      DropStalled();
      continue;
    }
    Frame frame;
    frame.type = buffer_[1];
    frame.command = buffer_[2];
    frame.data.assign(buffer_.begin() + kHeader, buffer_.begin() + static_cast<std::ptrdiff_t>(kHeader + n));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
    SkipToStart();
    return frame;
  }
  return std::nullopt;
}

}  // namespace zhv::sim
