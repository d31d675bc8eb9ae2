// The simulated gas alarm unit: takes the tool's bytes, answers in link
// frames, and lets its values drift with its own clock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <vector>

#include "platform/platform.h"
#include "protocol/catalogue.h"
#include "protocol/parameters.h"
#include "sim/frames.h"
#include "sim/model.h"
#include "sim/responder.h"
#include "sim/storage.h"

namespace zhv::sim {

// Misbehaviour to order; every field may be changed while the unit runs.
// Command codes are those of the request, so silencing 0x34 silences its 0x40 answer.
struct Faults {
  bool silentAll = false;
  std::set<std::uint8_t> silent;            // requests left unanswered
  bool badCheck = false;                    // every answer's check byte inverted
  std::optional<std::uint8_t> wrongLength;  // answers to this request carry one byte too many
  bool split = false;                       // each answer's second half comes a time step later
  bool refuseUsbOn = false;                 // USB control stays off when asked on
  std::uint8_t calibrationError = 0;        // error flags of every calibration answer
  bool eepromFailure = false;               // the EEPROM rewrite answer reports failure
  bool keepWords = false;                   // word writes are answered with the word kept
  // Storage read-out: blocks are the 0x44 and 0x54 frames sent.
  std::optional<int> silentAfterBlocks;     // storage read requests go unheard after this many blocks
  bool overcount = false;                   // each block's count byte names 17 records more than it carries
  std::optional<int> hangUpAfterBlocks;     // the unit is unplugged after this many blocks
};

struct Options {
  std::uint8_t deviceType = cat::kTypeStorage;
  std::uint8_t gasKind = cat::kGasCombined;  // 6 bits
  std::uint16_t version = 130;               // 10 bits, 130 is shown as 1.30
  std::uint16_t softwareId = 0x1234;         // identification bytes 4 (low) and 5 (high)
  std::uint8_t interfaceModule = 0x31;       // status byte 1: LoRa fitted, link fine
  std::uint32_t warmUpMs = 3000;             // after power-on and after a restart
  LocalDateTime clockStart{2024, 5, 17, 13, 45, 0};
  Faults faults;
  StorageOptions storage;
};

class Unit : public Responder {
 public:
  // A partial frame is given up after this long without a further byte.
  static constexpr std::uint32_t kStallMs = 50;

  explicit Unit(Options options = {});

  void Feed(const std::uint8_t* bytes, std::size_t count) override;
  void Feed(const std::vector<std::uint8_t>& bytes) { Feed(bytes.data(), bytes.size()); }
  // Returns and forgets what the unit has sent so far.
  std::vector<std::uint8_t> TakeOutput() override;
  // Advances the unit's clock and values; releases held answer halves.
  void Step(std::uint32_t ms) override;

  Faults& faults() { return options_.faults; }
  const Options& options() const { return options_; }
  std::uint64_t NowMs() const override { return nowMs_; }
  bool UsbControl() const { return usbControl_; }
  bool WarmedUp() const { return nowMs_ >= warmUntilMs_; }
  std::array<std::uint16_t, param::kWordCount> Words() const;
  std::uint16_t SupplySetpoint() const { return setpoint_; }
  LocalDateTime ClockNow() const { return storage_.Now(); }
  std::size_t StoredRecords() const { return storage_.Records(); }
  // The record now at a buffer position, 0 the oldest (std::out_of_range beyond).
  RecordBytes Record(std::size_t index) const { return storage_.Record(index); }
  int BlocksServed() const { return blocksServed_; }
  std::uint16_t Divider() const { return storage_.Divider(); }
  // Once true the unit sends nothing more; the ports serving it act as unplugged.
  bool HungUp() const override;
  // The last frame with a good check byte, answered or not.
  const std::optional<Frame>& LastRequest() const { return lastRequest_; }
  int RequestCount(std::uint8_t command) const { return requestCounts_[command]; }

 private:
  struct Chunk {
    std::vector<std::uint8_t> bytes;
    std::uint64_t releaseStep;
  };

  void Drain();
  void Handle(const Frame& request);
  // False when a fault kept the answer back.
  bool Answer(std::uint8_t request, std::uint8_t command, std::vector<std::uint8_t> data);
  void Restart();
  void HandleStorage(const Frame& request);
  void SendBlock(std::uint8_t request, std::uint8_t recordsCommand, const StorageModule::Block& block);

  std::vector<std::uint8_t> Identification() const;
  std::vector<std::uint8_t> ParameterBlock() const;
  std::vector<std::uint8_t> Status();
  std::vector<std::uint8_t> Calibrate(std::uint8_t operation);
  void PutChannel(std::vector<std::uint8_t>& status, std::size_t at, int index, const ChannelProfile& channel,
                  std::uint16_t supply);
  std::uint8_t Status0() const;

  Options options_;
  GasProfile profile_;
  FrameParser parser_;
  StorageModule storage_;
  std::deque<Chunk> output_;
  std::uint64_t nowMs_ = 0;
  std::uint64_t steps_ = 0;
  std::uint64_t lastByteMs_ = 0;
  std::uint64_t warmUntilMs_;
  bool usbControl_ = false;
  std::array<bool, 2> pastExcess_{};
  param::Block block_{};  // the words; the setpoint is kept apart
  std::uint16_t setpoint_;
  std::optional<Frame> lastRequest_;
  std::array<int, 256> requestCounts_{};
  int blocksServed_ = 0;
};

}  // namespace zhv::sim
