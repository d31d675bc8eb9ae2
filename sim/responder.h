// What stands behind a served port: the simulated unit, or the replay of a
// session log. It takes the tool's bytes and answers on its own clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zhv::sim {

class Responder {
 public:
  virtual ~Responder() = default;
  virtual void Feed(const std::uint8_t* bytes, std::size_t count) = 0;
  // Advances the clock; answers due by then are released.
  virtual void Step(std::uint32_t ms) = 0;
  // Returns and forgets what has been sent so far.
  virtual std::vector<std::uint8_t> TakeOutput() = 0;
  virtual std::uint64_t NowMs() const = 0;
  // Once true nothing more is sent; the ports serving it act as unplugged.
  virtual bool HungUp() const { return false; }
  // What it has to tell the person running it since the last call.
  virtual std::vector<std::string> TakeNotes() { return {}; }
};

}  // namespace zhv::sim
