// The application protocol spoken over link frames: the device types, every
// request the tool sends and every answer it accepts.
#pragma once

#include <cstdint>

namespace zhv::cat {

// --- device type codes (byte 1 of every frame)
inline constexpr std::uint8_t kTypeUnknown = 0x00;
inline constexpr std::uint8_t kTypeBase = 0x10;       // base unit
inline constexpr std::uint8_t kTypeStorage = 0x11;    // backup power, clock, storage module
inline constexpr std::uint8_t kTypeVoice = 0x12;      // voice announcements
inline constexpr bool IsGasAlarmUnit(std::uint8_t type) {
  return type == kTypeBase || type == kTypeStorage || type == kTypeVoice;
}

// --- requests (command code, length)
inline constexpr std::uint8_t kProbe = 0x00;            // identification probe, no data
inline constexpr std::uint8_t kUnitControl = 0x10;      // 1 byte: kIdentify/kRestart/kUsbOn/kUsbOff
inline constexpr std::uint8_t kUnitControlLen = 1;
inline constexpr std::uint8_t kArgIdentify = 0x10;
inline constexpr std::uint8_t kArgRestart = 0x02;
inline constexpr std::uint8_t kArgUsbOn = 0x01;
inline constexpr std::uint8_t kArgUsbOff = 0x00;
inline constexpr std::uint8_t kReadParams = 0x60;       // no data
inline constexpr std::uint8_t kReadStatus = 0x20;       // no data
inline constexpr std::uint8_t kWriteWord = 0x90;        // low, high, word number
inline constexpr std::uint8_t kWriteWordLen = 3;
inline constexpr std::uint8_t kSetSupply = 0x34;        // setpoint low, high
inline constexpr std::uint8_t kSetSupplyLen = 2;
inline constexpr std::uint8_t kCalibrate = 0x30;        // 1 byte: operation
inline constexpr std::uint8_t kCalibrateLen = 1;
inline constexpr std::uint8_t kRewriteEeprom = 0xA0;    // no data
inline constexpr std::uint8_t kStorageStatus = 0x4C;    // no data
inline constexpr std::uint8_t kSetClock = 0x58;         // day, month, year lo, hi, h, m, s
inline constexpr std::uint8_t kSetClockLen = 7;
inline constexpr std::uint8_t kStorageSetup = 0x5C;     // 1 byte: set-up bits
inline constexpr std::uint8_t kStorageSetupLen = 1;
inline constexpr std::uint8_t kSetupInitBuffer = 0x40;
inline constexpr std::uint8_t kSetupResetOverflow = 0x20;
inline constexpr std::uint8_t kReadAt = 0x50;           // count, address (4 bytes)
inline constexpr std::uint8_t kReadAtLen = 5;
inline constexpr std::uint8_t kReadNext = 0x40;         // no data
inline constexpr std::uint8_t kAckBlock = 0x48;         // no data
inline constexpr std::uint8_t kClockDivider = 0x38;     // divider low, high (0 reads)
inline constexpr std::uint8_t kClockDividerLen = 2;
inline constexpr std::int32_t kDividerMin = 6300;       // the divider a unit may be set to
inline constexpr std::int32_t kDividerMax = 9999;

// Operation byte of kCalibrate: high nibble the operation, low nibble the channel.
inline constexpr std::uint8_t kOpZero1 = 0x00;
inline constexpr std::uint8_t kOpSpan1 = 0x10;
inline constexpr std::uint8_t kOpZero2 = 0x01;
inline constexpr std::uint8_t kOpSpan2 = 0x11;
inline constexpr std::uint8_t kOpInit1 = 0xF0;
inline constexpr std::uint8_t kOpInit2 = 0xF1;

// --- responses (command code, length)
inline constexpr std::uint8_t kProbeAnswerLen = 0;
inline constexpr std::uint8_t kUnitControlAnswerLen = 6;
inline constexpr std::uint8_t kParamsAnswerLen = 30;
inline constexpr std::uint8_t kStatusAnswerLen = 32;
inline constexpr std::uint8_t kWriteWordAnswerLen = 3;
inline constexpr std::uint8_t kSupplyAnswer = 0x40;     // the answer to kSetSupply
inline constexpr std::uint8_t kSupplyAnswerLen = 3;
inline constexpr std::uint8_t kCalibrateAnswerLen = 4;
inline constexpr std::uint8_t kEepromAnswerLen = 1;
inline constexpr std::uint8_t kStorageStatusAnswerLen = 32;
inline constexpr std::uint8_t kSetClockAnswerLen = 8;
inline constexpr std::uint8_t kStorageSetupAnswerLen = 0;
inline constexpr std::uint8_t kStorageSetupAltAnswer = 0x0E;  // accepted in place of 0x5C / 0
inline constexpr std::uint8_t kStorageSetupAltAnswerLen = 3;
inline constexpr std::uint8_t kReadAtAnswerLen = 1;
inline constexpr std::uint8_t kRecordsAt = 0x54;        // records of kReadAt, length > 5
inline constexpr std::uint8_t kReadNextAnswerLen = 1;
inline constexpr std::uint8_t kRecordsNext = 0x44;      // records of kReadNext, length > 5
inline constexpr std::uint8_t kRecordsMinLen = 6;
inline constexpr std::uint8_t kAckAnswerLen = 0;
inline constexpr std::uint8_t kClockDividerAnswerLen = 2;

// --- gas kind codes
inline constexpr std::uint8_t kGasCH4 = 1;
inline constexpr std::uint8_t kGasC3H8 = 2;
inline constexpr std::uint8_t kGasCO2Optical = 13;
inline constexpr std::uint8_t kGasCO = 23;
inline constexpr std::uint8_t kGasCombined = 27;  // CH4/CO, the only one with a second channel
inline constexpr std::uint8_t kGasCO2 = 33;

}  // namespace zhv::cat
