#include "sim/record.h"

#include "sim/storage.h"

namespace zhv::sim {

namespace {

// A scenario of this many records repeats: a restart with its warm-up, a
// spell of USB control and of test mode, a power cut run on the battery down
// to discharge, a link error.
constexpr std::uint32_t kScenario = 40;
constexpr std::uint16_t kMainsBattery = 410;   // 10 mV, charged
constexpr std::uint16_t kBatteryStart = 400;   // 10 mV, when the power goes
constexpr std::uint16_t kBatteryDrop = 18;     // 10 mV per record on the battery
constexpr std::uint16_t kDischarged = 340;     // 10 mV
constexpr std::uint16_t kOverRangeValue = 9999;

bool Within(std::uint32_t phase, std::uint32_t from, std::uint32_t to) { return phase >= from && phase <= to; }

std::uint8_t Decimals(std::uint8_t type) {
  switch (type) {
    case 1: case 2: case 4: case 11: return 2;
    case 13: return 3;
    case 14: case 22: return 1;
    default: return 0;
  }
}

std::uint16_t Negative(std::uint32_t magnitude) {
  return static_cast<std::uint16_t>(rec::kConcNegative | ((16384 - magnitude) & rec::kConcValueMask));
}

void PutWord(RecordBytes& r, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) r[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint8_t UnitState(std::uint64_t i, std::uint16_t& battery) {
  const auto phase = static_cast<std::uint32_t>(i % kScenario);
  std::uint8_t state = Within(phase, 0, 1) ? 0 : rec::kUnitOperating;
  if (Within(phase, 8, 11)) state |= rec::kUnitUsb;
  if (Within(phase, 15, 16)) state |= rec::kUnitTest;
  if (Within(phase, 35, 36)) state |= rec::kUnitLinkError;
  battery = static_cast<std::uint16_t>(kMainsBattery + i % 5);
  if (Within(phase, 22, 31)) {
    state |= rec::kUnitOnBattery;
    battery = static_cast<std::uint16_t>(kBatteryStart - (phase - 22) * kBatteryDrop);
    if (battery < kDischarged) state |= rec::kUnitDischarged;
  }
  if (battery & 0x100) state |= rec::kUnitBattery8;
  return state;
}

// Channel 1: the word and the state bits 0..3.
std::uint16_t Channel1(std::uint64_t i, std::uint8_t type, std::uint8_t& state) {
  state = 0;
  if (type == 0) return 0;  // no sensor fitted
  if (i % 29 == 7) state |= rec::kCh1Fault;
  if (i % 13 == 5) {
    state |= rec::kCh1Triggered | rec::kCh1Above1 | rec::kCh1Above2;
    return rec::kConcOverRange | kOverRangeValue;
  }
  if (i % 11 == 3) return Negative(static_cast<std::uint32_t>(i % 40) + 1);  // zero drift
  const auto value = static_cast<std::uint16_t>(i * 37 % 600);
  if (value > 450) state |= rec::kCh1Triggered | rec::kCh1Above1;
  return value;
}

// Channel 2: the word and the state bits 4..6.
std::uint16_t Channel2(std::uint64_t i, std::uint8_t& state) {
  state = 0;
  if (i % 31 == 12) state |= rec::kCh2Fault;
  if (i % 19 == 9) {
    state |= rec::kCh2Triggered | rec::kCh2Above1;
    return rec::kConcOverRange | 500;
  }
  if (i % 17 == 4) return Negative(static_cast<std::uint32_t>(i % 9) + 1);
  const auto value = static_cast<std::uint16_t>(i * 13 % 150);
  if (value > 120) state |= rec::kCh2Triggered | rec::kCh2Above1;
  return value;
}

}  // namespace

RecordBytes MakeRecordAt(std::uint64_t i, const LocalDateTime& stamp) {
  RecordBytes r{};
  r[rec::kIntegrity] = i % 53 == 17 ? static_cast<std::uint8_t>(0x80 | (i & 0x7F)) : 0;
  PutWord(r, rec::kStamp, PackTimestamp(stamp, StorageModule::kReferenceYear), 4);

  std::uint16_t battery = 0;
  r[rec::kUnitState] = UnitState(i, battery);
  r[rec::kBattery] = static_cast<std::uint8_t>(battery & 0xFF);

  const std::uint64_t fit = i / kRecordsPerFit;
  const std::uint8_t type = kRecordSensorTypes[fit % kRecordSensorTypes.size()];
  r[rec::kKind1] = static_cast<std::uint8_t>(type | Decimals(type) << 6);
  std::uint8_t states1 = 0;
  PutWord(r, rec::kConc1, Channel1(i, type, states1), 2);
  std::uint8_t states2 = 0;
  if (fit % 3 != 1) {
    PutWord(r, rec::kConc2, Channel2(i, states2), 2);
    states2 |= rec::kCh2Present;
  }
  r[rec::kChannels] = states1 | states2;

  if (i % 23 != 22) {
    const int t = static_cast<int>(i * 7 % 81) - 25;
    std::uint8_t ts = rec::kTempPresent;
    if (t > 50) ts |= rec::kTempTriggered | rec::kTempAbove;
    if (i % 41 == 20) ts |= rec::kTempFault;
    r[rec::kTempState] = ts;
    r[rec::kTemperature] = static_cast<std::uint8_t>(static_cast<std::int8_t>(t));
  }
  return r;
}

RecordBytes MakeRecord(std::uint32_t index, const LocalDateTime& bufferStart, int periodS) {
  return MakeRecordAt(index, AddSeconds(bufferStart, std::int64_t{index} * periodS));
}

}  // namespace zhv::sim
