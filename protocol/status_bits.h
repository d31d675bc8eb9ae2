// The bits of the unit's answers, named once: the tool reads them, the
// simulated unit sets them.
#pragma once

#include <cstdint>

namespace zhv::bits {

// --- status byte 0 (data byte 0 of the 0x10 and 0x20 answers)
inline constexpr std::uint8_t kUsbControl = 0x01;  // the unit is under USB control
inline constexpr std::uint8_t kWarmedUp = 0x02;    // clear while the unit warms up
inline constexpr std::uint8_t kThresholdTest = 0x04;
inline constexpr std::uint8_t kLowBattery = 0x10;
inline constexpr std::uint8_t kClockNotSet = 0x80;  // clock or storage buffer not set up
inline constexpr std::uint8_t kUnitFaults = kLowBattery | kClockNotSet;

// --- status byte 1: the interface module
inline constexpr std::uint8_t kModuleFitted = 0x01;
inline constexpr std::uint8_t kModuleLinkError = 0x02;
inline constexpr std::uint8_t kModuleNoNetwork = 0x04;
inline constexpr int kModuleTypeShift = 4;  // bits 4..7: the module type, 2..7 named
inline constexpr int kFirstModuleType = 2;
inline constexpr int kLastModuleType = 7;

// --- status answer byte 3: the valve
inline constexpr std::uint8_t kValveHighBits = 0x0F;  // bits 8..11 of the valve voltage
inline constexpr std::uint8_t kValveD0 = 0x10;
inline constexpr std::uint8_t kValveD1 = 0x20;

// --- a channel's state byte (status bytes 9, 19 and 28)
inline constexpr std::uint8_t kSensorWorking = 0x01;
inline constexpr std::uint8_t kSensorPastExcess = 0x02;
inline constexpr std::uint8_t kSensorSetupError = 0x04;  // the optical sensor: its software version
inline constexpr std::uint8_t kSensorFault = 0x08;       // the optical sensor: no link to it
inline constexpr std::uint8_t kSensorExcess = 0x10;
inline constexpr std::uint8_t kSensorTest = 0x20;
inline constexpr std::uint8_t kSensorOff = 0x40;
inline constexpr std::uint8_t kSensorSetupMode = 0x80;
inline constexpr std::uint8_t kSensorKindMask = 0x3F;  // status bytes 8 and 18: the channel's gas kind

// --- a concentration word of the status answer
inline constexpr std::uint16_t kConcOverRange = 0x8000;
inline constexpr std::uint16_t kConcNegative = 0x4000;  // the sign of a 15-bit two's complement value
inline constexpr std::uint16_t kConcMagnitude = 0x3FFF;

// --- error flags of the calibration answer (0x30, data byte 1): the first that is set names it
inline constexpr std::uint8_t kCalDisconnected = 0x10;
inline constexpr std::uint8_t kCalVoltageRange = 0x01;
inline constexpr std::uint8_t kCalDeltaTooSmall = 0x02;
inline constexpr std::uint8_t kCalUnknown = 0x80;  // any other bit: an unnamed failure

// The operation byte of the calibration request: the channel, then the operation.
inline constexpr std::uint8_t kOpChannelMask = 0x0F;
inline constexpr std::uint8_t kOpMask = 0xF0;
inline constexpr std::uint8_t kOpZero = 0x00;
inline constexpr std::uint8_t kOpSpan = 0x10;
inline constexpr std::uint8_t kOpInit = 0xF0;

// --- storage status (0x4C) byte 0
inline constexpr std::uint8_t kRtcFault = 0x01;
inline constexpr std::uint8_t kDateFault = 0x02;
inline constexpr std::uint8_t kDateNotSet = 0x04;
inline constexpr std::uint8_t kBufferOverflow = 0x20;
inline constexpr std::uint8_t kBufferNotInitialised = 0x40;
inline constexpr std::uint8_t kBufferCrcFault = 0x80;
// byte 1
inline constexpr std::uint8_t kClockValid = 0x01;  // bytes 2..8 hold the running clock

}  // namespace zhv::bits
