// One record of the storage buffer, 15 bytes, multi-byte fields least
// significant byte first; and the deterministic records the simulated unit
// stores, varied so that a read-out meets every case the export knows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace zhv::sim {

inline constexpr std::size_t kRecordSize = 15;
using RecordBytes = std::array<std::uint8_t, kRecordSize>;

// Byte offsets within a record.
inline constexpr std::size_t kRecIntegrity = 0;    // 0: the record's check is good
inline constexpr std::size_t kRecStamp = 1;        // packed time stamp, 4 bytes
inline constexpr std::size_t kRecUnitState = 5;
inline constexpr std::size_t kRecBattery = 6;      // battery voltage bits 0..7, 10 mV
inline constexpr std::size_t kRecKind1 = 7;        // channel 1 sensor type | decimals << 6
inline constexpr std::size_t kRecChannels = 8;     // channel 1 state bits 0..3, channel 2 bits 4..7
inline constexpr std::size_t kRecConc1 = 9;        // concentration words, 2 bytes each
inline constexpr std::size_t kRecConc2 = 11;
inline constexpr std::size_t kRecTempState = 13;
inline constexpr std::size_t kRecTemperature = 14;  // degrees C, signed

// Unit state byte.
inline constexpr std::uint8_t kUnitBattery8 = 0x01;  // bit 8 of the battery voltage
inline constexpr std::uint8_t kUnitUsb = 0x02;
inline constexpr std::uint8_t kUnitOperating = 0x04;  // clear while warming up
inline constexpr std::uint8_t kUnitTest = 0x08;
inline constexpr std::uint8_t kUnitOnBattery = 0x10;
inline constexpr std::uint8_t kUnitDischarged = 0x20;
inline constexpr std::uint8_t kUnitLinkError = 0x80;

// Channel states byte.
inline constexpr std::uint8_t kCh1Triggered = 0x01;
inline constexpr std::uint8_t kCh1Fault = 0x02;
inline constexpr std::uint8_t kCh1Above1 = 0x04;
inline constexpr std::uint8_t kCh1Above2 = 0x08;
inline constexpr std::uint8_t kCh2Triggered = 0x10;
inline constexpr std::uint8_t kCh2Fault = 0x20;
inline constexpr std::uint8_t kCh2Above1 = 0x40;
inline constexpr std::uint8_t kCh2Present = 0x80;

// Concentration word: bits 0..13 the value; negative values are kept as
// 16384 minus their magnitude.
inline constexpr std::uint16_t kConcValueMask = 0x3FFF;
inline constexpr std::uint16_t kConcNegative = 0x4000;
inline constexpr std::uint16_t kConcOverRange = 0x8000;

// Temperature state byte.
inline constexpr std::uint8_t kTempPresent = 0x01;
inline constexpr std::uint8_t kTempTriggered = 0x02;
inline constexpr std::uint8_t kTempFault = 0x04;
inline constexpr std::uint8_t kTempAbove = 0x08;

// Sensor type codes channel 1 cycles through, the last one unknown to the tool.
inline constexpr std::array<std::uint8_t, 14> kRecordSensorTypes{1, 2, 4, 5, 11, 13, 14, 22, 23, 24, 29, 30, 0, 41};
// Records in a row that share a sensor fit.
inline constexpr std::uint32_t kRecordsPerFit = 7;

// The record the unit stores as its index-th since the buffer began, taken at the given moment.
RecordBytes MakeRecordAt(std::uint64_t index, const LocalDateTime& stamp);

// The same with the moment a buffer recording every periodS seconds from bufferStart gives it.
RecordBytes MakeRecord(std::uint32_t index, const LocalDateTime& bufferStart, int periodS);

}  // namespace zhv::sim
