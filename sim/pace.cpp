#include "sim/pace.h"

#include <algorithm>

namespace zhv::sim {

LinePace::LinePace(std::uint32_t baud, int bitsPerByte)
    : byteNs_(std::max<std::uint64_t>(1, 1'000'000'000ull * static_cast<std::uint64_t>(std::max(bitsPerByte, 1)) /
                                             std::max<std::uint32_t>(baud, 1))) {}

void LinePace::Queue(std::uint64_t nowNs, std::size_t bytes) {
  if (bytes == 0) return;
  // An idle line starts with these bytes now, not in the past.
  lineFreeNs_ = std::max(lineFreeNs_, nowNs) + byteNs_ * bytes;
  waiting_ += bytes;
}

std::size_t LinePace::Due(std::uint64_t nowNs) const {
  // Still crossing: those whose last bit is after now.
  const std::uint64_t crossing = nowNs >= lineFreeNs_ ? 0 : (lineFreeNs_ - nowNs + byteNs_ - 1) / byteNs_;
  return waiting_ - std::min<std::size_t>(waiting_, crossing);
}

void LinePace::Took(std::size_t bytes) { waiting_ -= std::min(bytes, waiting_); }

std::uint64_t LinePace::UntilNextNs(std::uint64_t nowNs) const {
  if (waiting_ == 0 || Due(nowNs) > 0) return 0;
  // The first byte waiting crosses when all after it still have their time to go.
  const std::uint64_t nextNs = lineFreeNs_ - byteNs_ * (waiting_ - 1);
  return nextNs > nowNs ? nextNs - nowNs : 0;
}

}  // namespace zhv::sim
