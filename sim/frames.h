// Link frames as the unit hears them: the tool's own frame parser, behind a
// buffer that lets the unit look again. A frame that fails its check gives up
// only its start byte, so a real frame hidden behind a stray 0x0D is found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "protocol/frame.h"

namespace zhv::sim {

class FrameParser {
 public:
  void Feed(const std::uint8_t* bytes, std::size_t count);
  // The next frame with a correct check byte, if one is complete.
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
