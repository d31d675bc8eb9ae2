// The unit's answers taken apart: bytes in, typed values out. Pure functions;
// the presenters show what they return.
#pragma once

#include <array>
#include <cstdint>

#include "protocol/frame.h"

namespace zhv {

// A sensor channel in the status answer (bytes 8..16 for channel 1, 18..26 for 2).
struct ChannelReading {
  std::uint8_t kind = 0;            // its gas kind code, 6 bits
  std::uint8_t state = 0;           // the state byte
  std::uint16_t concentration = 0;  // bit 15 over range, bits 0..14 a 15-bit two's complement value
  std::uint16_t voltage = 0;        // 0.1 mV, or the optical sensor's raw signal
  std::uint16_t supply = 0;         // sensor supply, raw counts
  std::uint8_t controlFlags = 0;
};

// The status answer (0x20, 32 bytes).
struct Status {
  std::uint8_t status0 = 0, status1 = 0;
  std::int32_t valveVoltage = 0;  // 10 mV, 12 bits
  bool valveD0 = false, valveD1 = false;
  std::int32_t supplyVoltage = 0;   // 10 mV, 12 bits: the unit's supply
  std::int32_t batteryVoltage = 0;  // 10 mV, 12 bits
  std::array<ChannelReading, 2> channels{};
  std::uint8_t temperatureState = 0;
  std::uint8_t temperature = 0;  // degrees C, bit 7 below zero
};
Status ParseStatus(const Frame& answer);

// The storage module status answer (0x4C, 32 bytes).
struct StorageStatus {
  std::uint8_t flags = 0;
  bool clockValid = false;
  // The running clock: day, month, year, hour, minute, second.
  std::int32_t day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
  std::uint16_t referenceYear = 0;
  std::array<std::uint8_t, 10> bufferState{};   // bytes 12..21, as sent
  std::array<std::uint8_t, 10> bufferParams{};  // bytes 22..31, as sent
  std::int32_t records = 0;
  std::uint32_t writeAddress = 0, readAddress = 0;
  std::uint32_t bufferStart = 0;  // the packed time stamp of the buffer's start
  std::int32_t recordPeriod = 0;
  std::uint32_t bufferTag = 0;
};
StorageStatus ParseStorageStatus(const Frame& answer);

}  // namespace zhv
