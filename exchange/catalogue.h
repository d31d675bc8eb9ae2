// The application protocol spoken over link frames: requests, responses and
// the pending commands an operator action can post.
#pragma once

#include <cstdint>

#include "exchange/states.h"

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

// --- pending commands: the exchange state at which each begins
inline constexpr std::int32_t kPendNone = 0;
inline constexpr std::int32_t kPendUnitControl = st::kUnitControl;
inline constexpr std::int32_t kPendWriteWord = st::kWriteWord;
inline constexpr std::int32_t kPendSetSupply = st::kSetSupply;
inline constexpr std::int32_t kPendCalibrate = st::kCalibrate;
inline constexpr std::int32_t kPendRewriteEeprom = st::kRewriteEeprom;
inline constexpr std::int32_t kPendStorage = st::kSetClock;
inline constexpr std::int32_t kPendClockDivider = st::kDivider;

// Flags that kPendStorage and kPendClockDivider carry in the exchange record.
inline constexpr std::uint8_t kClockSetRequested = 0x01;   // clock-set flags
inline constexpr std::uint8_t kClockEntryInvalid = 0x02;
inline constexpr std::uint8_t kSetupRequested = 0x01;      // storage-setup flags
inline constexpr std::uint8_t kReadOverwrite = 0x01;       // read-out flags
inline constexpr std::uint8_t kReadAddressed = 0x02;
inline constexpr std::uint8_t kReadReadable = 0x04;
inline constexpr std::uint8_t kReadWhole = 0x08;
inline constexpr std::uint8_t kReadRequested = 0x10;
inline constexpr std::uint8_t kReadUnderWay = 0x20;
inline constexpr std::uint8_t kDividerRead = 0x01;         // divider flags
inline constexpr std::uint8_t kDividerWrite = 0x02;
inline constexpr std::uint8_t kJobBits = 0x03;             // what a finished job clears

// Command arguments of kPendUnitControl.
inline constexpr std::uint8_t kCtlOff = 0;
inline constexpr std::uint8_t kCtlOn = 1;
inline constexpr std::uint8_t kCtlRestart = 2;

// --- parameter words written with kPendWriteWord (word number N, offset 2N)
inline constexpr std::uint8_t kWordFlagsTemp = 0x00;   // flags, temperature threshold
inline constexpr std::uint8_t kWordCalConc1 = 0x03;
inline constexpr std::uint8_t kWordThreshold1 = 0x04;
inline constexpr std::uint8_t kWordCalConc2 = 0x07;
inline constexpr std::uint8_t kWordThreshold2 = 0x08;
inline constexpr std::uint8_t kWordValve = 0x09;
inline constexpr std::uint8_t kWordBackupTime = 0x0A;
inline constexpr std::uint8_t kWordSystem = 0x0B;      // record period, backup/valve flags
inline constexpr std::uint8_t kWordPeriodNormal = 0x0C;
inline constexpr std::uint8_t kWordPeriodFault = 0x0D;
inline constexpr std::uint8_t kWordPeriodGas = 0x0E;
inline constexpr std::uint8_t kWordCount = 15;
inline constexpr std::uint8_t kSupplyOffset = 30;      // the setpoint, after the 15 words

// --- gas kind codes
inline constexpr std::uint8_t kGasCH4 = 1;
inline constexpr std::uint8_t kGasC3H8 = 2;
inline constexpr std::uint8_t kGasCO2Optical = 13;
inline constexpr std::uint8_t kGasCO = 23;
inline constexpr std::uint8_t kGasCombined = 27;  // CH4/CO, the only one with a second channel
inline constexpr std::uint8_t kGasCO2 = 33;

}  // namespace zhv::cat
