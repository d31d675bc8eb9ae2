// One record of the storage buffer as the unit delivers it: 15 bytes, the
// multi-byte fields least significant byte first. A block of records in the
// 0x44 and 0x54 answers starts with the count and four bytes not read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zhv::rec {

inline constexpr std::size_t kSize = 15;
inline constexpr std::size_t kBlockHeaderSize = 5;

// Byte offsets within a record.
inline constexpr std::size_t kIntegrity = 0;    // 0: the record's check is good
inline constexpr std::size_t kStamp = 1;        // packed time stamp, 4 bytes
inline constexpr std::size_t kUnitState = 5;
inline constexpr std::size_t kBattery = 6;      // battery voltage bits 0..7, 10 mV
inline constexpr std::size_t kKind1 = 7;        // channel 1 sensor type | decimals << 6
inline constexpr std::size_t kChannels = 8;     // channel 1 state bits 0..3, channel 2 bits 4..7
inline constexpr std::size_t kConc1 = 9;        // concentration words, 2 bytes each
inline constexpr std::size_t kConc2 = 11;
inline constexpr std::size_t kTempState = 13;
inline constexpr std::size_t kTemperature = 14;  // degrees C, signed

// Unit state byte.
inline constexpr std::uint8_t kUnitBattery8 = 0x01;  // bit 8 of the battery voltage
inline constexpr std::uint8_t kUnitUsb = 0x02;
inline constexpr std::uint8_t kUnitOperating = 0x04;  // clear while warming up
inline constexpr std::uint8_t kUnitTest = 0x08;
inline constexpr std::uint8_t kUnitOnBattery = 0x10;
inline constexpr std::uint8_t kUnitDischarged = 0x20;
inline constexpr std::uint8_t kUnitLinkError = 0x80;

// Channel 1 sensor type byte.
inline constexpr std::uint8_t kKindMask = 0x3F;
inline constexpr int kDecimalsShift = 6;

// Channel states byte.
inline constexpr std::uint8_t kCh1Triggered = 0x01;
inline constexpr std::uint8_t kCh1Fault = 0x02;
inline constexpr std::uint8_t kCh1Above1 = 0x04;
inline constexpr std::uint8_t kCh1Above2 = 0x08;
inline constexpr std::uint8_t kCh1States = 0x0F;
inline constexpr std::uint8_t kCh2Triggered = 0x10;
inline constexpr std::uint8_t kCh2Fault = 0x20;
inline constexpr std::uint8_t kCh2Above1 = 0x40;
inline constexpr std::uint8_t kCh2Present = 0x80;
inline constexpr std::uint8_t kCh2States = 0x70;
inline constexpr int kCh2Shift = 4;

// Concentration word: bits 0..13 the value; a negative value is kept as 16384
// minus its magnitude.
inline constexpr std::uint16_t kConcValueMask = 0x3FFF;
inline constexpr std::uint16_t kConcNegative = 0x4000;
inline constexpr std::uint16_t kConcOverRange = 0x8000;
inline constexpr std::int32_t kConcNegativeBase = 16384;

// Temperature state byte.
inline constexpr std::uint8_t kTempPresent = 0x01;
inline constexpr std::uint8_t kTempTriggered = 0x02;
inline constexpr std::uint8_t kTempFault = 0x04;
inline constexpr std::uint8_t kTempAbove = 0x08;
inline constexpr std::uint8_t kTempStates = 0x0F;
inline constexpr std::uint8_t kTemperatureBelowZero = 0x80;

}  // namespace zhv::rec
