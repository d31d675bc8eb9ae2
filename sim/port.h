// A serial port that leads straight to a simulated unit (or a replayed
// session), for running the tool's core in-process. Time passes only when the
// test calls Step.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/responder.h"

namespace zhv::sim {

struct WrittenFrame {
  std::uint64_t atMs;  // the unit's clock when the frame was written
  std::vector<std::uint8_t> bytes;
};

class SimPort : public ISerialPort {
 public:
  explicit SimPort(Responder& unit) : unit_(unit) {}

  // --- set-up and control by the test
  void AcceptOnly(std::string name) { acceptOnly_ = std::move(name); }  // empty: any name opens
  void SetBusy(const std::string& name) { busy_.insert(name); }
  void FailWrites(bool fail) { failWrites_ = fail; }
  void FailLineSettings(bool fail) { failLineSettings_ = fail; }
  // Advances the unit's time; call once per tool tick with the tick's length.
  // A unit that has hung up is unplugged here, never inside the tool's own calls.
  void Step(std::uint32_t ms);
  // The device vanishes: the lost handler runs, writes and opens fail until Replug.
  void Unplug();
  void Replug() { unplugged_ = false; }

  // --- what the tool did
  bool IsOpen() const { return open_; }
  const std::string& OpenedName() const { return openedName_; }
  const LineSettings& Settings() const { return settings_; }
  int Purges() const { return purges_; }
  // Every frame the tool wrote successfully, in order.
  const std::vector<WrittenFrame>& Written() const { return written_; }
  void ClearWritten() { written_.clear(); }

  // --- ISerialPort
  bool Open(const std::string& name) override;
  bool SetLineSettings(const LineSettings& settings) override;
  bool Purge() override;
  void DropInput() override;
  std::size_t QueuedBytes() override;
  std::size_t Read(std::uint8_t* buffer, std::size_t max) override;
  bool Write(const std::uint8_t* data, std::size_t count) override;
  void Close() override {
    open_ = false;
    input_.clear();
  }
  void SetLostHandler(std::function<void()> handler) override { lost_ = std::move(handler); }

 private:
  // Moves what the unit has sent into the input queue.
  void Collect();

  Responder& unit_;
  std::string acceptOnly_;
  std::set<std::string> busy_;
  bool failWrites_ = false;
  bool failLineSettings_ = false;
  bool unplugged_ = false;
  bool open_ = false;
  std::string openedName_;
  LineSettings settings_{};
  int purges_ = 0;
  std::deque<std::uint8_t> input_;
  std::vector<WrittenFrame> written_;
  std::function<void()> lost_;
};

}  // namespace zhv::sim
