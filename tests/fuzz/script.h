// The fuzzer's bytes read as a script of steps. Past the end every read gives
// 0, so a script is always played to its end and no step reads out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zhv::fuzz {

class Script {
 public:
  Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Done() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // 0 .. n-1 (n at most 65536).
  int Below(int n) {
    const unsigned v = n > 256 ? Byte() | Byte() << 8 : Byte();
    return static_cast<int>(v % static_cast<unsigned>(n));
  }
  // n bytes: taken from the script, or drawn from a generator it seeds, so a
  // short script can still carry long frames.
  std::vector<std::uint8_t> Bytes(std::size_t n) {
    std::vector<std::uint8_t> out(n);
    const std::uint8_t how = Byte();
    if (how & 1) {
      for (auto& b : out) b = Byte();
      return out;
    }
    std::uint32_t x = 0x9E3779B9u ^ (how | Byte() << 8);
    for (auto& b : out) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      b = static_cast<std::uint8_t>(x >> 8);
    }
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace zhv::fuzz
