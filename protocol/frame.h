// Link frames, the same layout both ways: 0x0D, device type, command, length N,
// N data bytes, and the XOR of every byte before it. No escaping: a 0x0D inside
// a frame is data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zhv {

inline constexpr std::uint8_t kFrameStart = 0x0D;
// N + 5 must fit the 256 bytes a frame is built in, so a request carries at most 251.
inline constexpr std::size_t kMaxSendData = 251;

struct Frame {
  std::uint8_t type = 0;
  std::uint8_t command = 0;
  std::uint8_t length = 0;
  // Room for any length byte: an index below 256 never leaves it.
  std::array<std::uint8_t, 256> data{};

  std::span<const std::uint8_t> Data() const { return {data.data(), length}; }
};

// The whole frame with its check byte; data beyond 255 bytes is cut.
std::vector<std::uint8_t> EncodeFrame(std::uint8_t type, std::uint8_t command, std::span<const std::uint8_t> data);
inline std::vector<std::uint8_t> EncodeFrame(std::uint8_t type, std::uint8_t command,
                                             const std::vector<std::uint8_t>& data) {
  return EncodeFrame(type, command, std::span<const std::uint8_t>(data));
}

// Takes frames apart one byte at a time. Bytes before a start byte are skipped;
// a frame ends at its check byte, good or bad, and the hunt for the next start
// begins. The fields of the frame are written as its bytes arrive, so between
// two frames they hold a mixture of both.
class FrameParser {
 public:
  // What the next byte is taken as. The numbers are the receiver states the
  // window shows: 4 is the check byte of a frame without data.
  enum class State : std::uint8_t { Start = 0, Type = 1, Command = 2, Length = 3, CheckNoData = 4, Data = 5, Check = 6 };
  enum class Took : std::uint8_t {
    Skipped,  // no frame under way, and not a start byte
    Started,  // a start byte: a frame begins
    Byte,     // a byte of the frame under way
    Good,     // its check byte, which matched: frame() is whole
    Bad,      // its check byte, which did not
  };

  Took Take(std::uint8_t b);
  // Gives up the frame under way and hunts for the next start byte.
  void Restart() { state_ = State::Start; }
  State state() const { return state_; }
  const Frame& frame() const { return frame_; }

 private:
  State state_ = State::Start;
  std::uint8_t check_ = 0;
  std::uint8_t index_ = 0;
  Frame frame_;
};

}  // namespace zhv
