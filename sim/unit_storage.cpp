// The unit's answers to the storage module requests: clock, set-up, clock
// divider and the two read-outs of the record buffer.
#include "sim/unit.h"

namespace zhv::sim {

namespace {

// What the overcount fault adds to a block's count byte: even a one-record
// block then names more records than any frame can carry.
constexpr std::uint8_t kOvercount = 17;

std::uint32_t Le32(const std::array<std::uint8_t, 256>& d, std::size_t at) {
  return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}

}  // namespace

bool Unit::HungUp() const {
  const auto& after = options_.faults.hangUpAfterBlocks;
  return after && blocksServed_ >= *after;
}

void Unit::HandleStorage(const Frame& request) {
  const auto& d = request.data;
  const std::size_t n = request.length;
  const std::uint8_t cmd = request.command;
  const auto& quietAfter = options_.faults.silentAfterBlocks;
  const bool readRequest = cmd == cat::kReadNext || cmd == cat::kAckBlock || cmd == cat::kReadAt;
  // A unit gone quiet mid-read-out hears none of it: nothing is sent and nothing freed.
  if (readRequest && quietAfter && blocksServed_ >= *quietAfter) return;

  switch (cmd) {
    case cat::kReadNext:
      if (n == 0) SendBlock(cmd, cat::kRecordsNext, storage_.NextBlock());
      break;
    case cat::kAckBlock:
      if (n != 0) break;
      storage_.Acknowledge();
      Answer(cmd, cat::kAckBlock, {});
      break;
    case cat::kReadAt:
      if (n == cat::kReadAtLen) SendBlock(cmd, cat::kRecordsAt, storage_.At(Le32(d, 1), d[0]));
      break;
    case cat::kSetClock: {
      if (n != cat::kSetClockLen) break;
      storage_.SetClock({d[2] | d[3] << 8, d[1], d[0], d[4], d[5], d[6]});
      // The clock as it now runs, in the request's order, and the status flags.
      const std::vector<std::uint8_t> s = storage_.Status();
      Answer(cmd, cat::kSetClock, {s[2], s[3], s[4], s[5], s[6], s[7], s[8], s[0]});
      break;
    }
    case cat::kStorageSetup:
      if (n != cat::kStorageSetupLen) break;
      storage_.Setup(d[0]);
      if (storage_.options().setupAltAnswer) Answer(cmd, cat::kStorageSetupAltAnswer, {d[0], 0, 0});
      else Answer(cmd, cat::kStorageSetup, {});
      break;
    case cat::kClockDivider: {
      if (n != cat::kClockDividerLen) break;
      const auto value = static_cast<std::uint16_t>(d[0] | d[1] << 8);
      if (value != 0) storage_.SetDivider(value);
      const std::uint16_t divider = storage_.Divider();
      Answer(cmd, cat::kClockDivider, {static_cast<std::uint8_t>(divider & 0xFF), static_cast<std::uint8_t>(divider >> 8)});
      break;
    }
    default:
      break;
  }
}

// The count answer, then, when there are records, the block itself unasked.
void Unit::SendBlock(std::uint8_t request, std::uint8_t recordsCommand, const StorageModule::Block& block) {
  const auto count = static_cast<std::uint8_t>(block.count);
  Answer(request, request, {count});
  if (count == 0) return;
  std::vector<std::uint8_t> data = storage_.BlockData(block);
  if (options_.faults.overcount) data[0] = static_cast<std::uint8_t>(count + kOvercount);
  if (Answer(request, recordsCommand, std::move(data))) ++blocksServed_;
}

}  // namespace zhv::sim
