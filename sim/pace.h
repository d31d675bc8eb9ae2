// The pace of a serial line: each byte takes its start, data, parity and stop
// bits at the baud rate to cross, one after the other. The program holds the
// unit's answers back until a real line would have delivered them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zhv::sim {

class LinePace {
 public:
  // 250000 baud 8N2: eleven bits, 44 microseconds, a byte.
  LinePace(std::uint32_t baud, int bitsPerByte);

  // Bytes handed to the line at `nowNs` go out after those still crossing it.
  void Queue(std::uint64_t nowNs, std::size_t bytes);
  // Bytes queued that have crossed by `nowNs` and are not taken yet.
  std::size_t Due(std::uint64_t nowNs) const;
  // `bytes` of them were delivered (or dropped).
  void Took(std::size_t bytes);
  // Nanoseconds from `nowNs` until the next byte will have crossed; 0 when one is due or none waits.
  std::uint64_t UntilNextNs(std::uint64_t nowNs) const;

 private:
  std::uint64_t byteNs_;
  std::uint64_t lineFreeNs_ = 0;  // when the last byte queued will have crossed
  std::size_t waiting_ = 0;       // queued, not taken
};

}  // namespace zhv::sim
