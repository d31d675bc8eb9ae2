#include "decode/answers.h"

#include <algorithm>

#include "protocol/status_bits.h"

namespace zhv {

namespace {

std::uint16_t Word(const Frame& f, std::size_t at) { return static_cast<std::uint16_t>(f.data[at] | f.data[at + 1] << 8); }

std::uint32_t Long(const Frame& f, std::size_t at) {
  return f.data[at] | f.data[at + 1] << 8 | f.data[at + 2] << 16 | static_cast<std::uint32_t>(f.data[at + 3]) << 24;
}

ChannelReading Channel(const Frame& f, std::size_t at) {
  return {static_cast<std::uint8_t>(f.data[at] & bits::kSensorKindMask), f.data[at + 1], Word(f, at + 2),
          Word(f, at + 4), Word(f, at + 6), f.data[at + 8]};
}

}  // namespace

Status ParseStatus(const Frame& f) {
  Status s;
  s.status0 = f.data[0];
  s.status1 = f.data[1];
  s.valveVoltage = f.data[2] + 256 * (f.data[3] & bits::kValveHighBits);
  s.valveD0 = f.data[3] & bits::kValveD0;
  s.valveD1 = f.data[3] & bits::kValveD1;
  s.supplyVoltage = f.data[5] + 256 * (f.data[4] & 0x0F);
  s.batteryVoltage = f.data[6] + 256 * (f.data[4] >> 4);
  s.channels = {Channel(f, 8), Channel(f, 18)};
  s.temperatureState = f.data[28];
  s.temperature = f.data[29];
  return s;
}

StorageStatus ParseStorageStatus(const Frame& f) {
  StorageStatus s;
  s.flags = f.data[0];
  s.clockValid = f.data[1] & bits::kClockValid;
  s.day = f.data[2];
  s.month = f.data[3];
  s.year = Word(f, 4);
  s.hour = f.data[6];
  s.minute = f.data[7];
  s.second = f.data[8];
  s.referenceYear = Word(f, 10);
  std::copy_n(f.data.begin() + 12, s.bufferState.size(), s.bufferState.begin());
  std::copy_n(f.data.begin() + 22, s.bufferParams.size(), s.bufferParams.begin());
  s.records = Word(f, 12);
  s.writeAddress = Long(f, 14);
  s.readAddress = Long(f, 18);
  s.bufferStart = Long(f, 22);
  s.recordPeriod = Word(f, 26);
  s.bufferTag = Long(f, 28);
  return s;
}

}  // namespace zhv
