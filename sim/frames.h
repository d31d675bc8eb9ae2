// Link frames as the unit sees them: 0x0D, device type, command, length,
// data, XOR of everything before. The parser takes bytes in any split.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zhv::sim {

inline constexpr std::uint8_t kFrameStart = 0x0D;

struct Frame {
  std::uint8_t type = 0;
  std::uint8_t command = 0;
  std::vector<std::uint8_t> data;
};

// The whole frame with its check byte; data longer than 255 bytes is cut.
std::vector<std::uint8_t> EncodeFrame(std::uint8_t type, std::uint8_t command,
                                      const std::vector<std::uint8_t>& data);

class FrameParser {
 public:
  void Feed(const std::uint8_t* bytes, std::size_t count);
  // The next frame with a correct check byte, if one is complete. Bytes before
  // a start byte are dropped; a frame that fails its check gives up only its
  // start byte, so a real frame hidden behind a stray 0x0D is still found.
  std::optional<Frame> Next();
  // True while the start of a frame waits for the rest of it.
  bool Partial() const { return !buffer_.empty(); }
  // Gives up the waiting start byte (the sender stalled) and hunts again.
  void DropStalled();

 private:
  void SkipToStart();
  std::vector<std::uint8_t> buffer_;  // always empty or starting with 0x0D
};

}  // namespace zhv::sim
