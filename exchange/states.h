// The states of the exchange state machine, by the numbers the pending
// commands carry: a pending command is the state at which its command begins.
#pragma once

#include <cstdint>

namespace zhv::st {

enum State : std::int32_t {
  kIdentify = 0,            // 0x10 [0x10]: identification with status
  kAwaitIdentify = 1,
  kReadParams = 2,          // 0x60: the parameter block
  kAwaitParams = 3,
  kStatusIdle = 4,          // takes the pending command, else 0x20: status
  kAwaitStatus = 5,
  kIdle = 6,                // takes the pending command, else counts to the next poll
  kUnitControl = 7,         // 0x10 [argument]: restart, USB control on or off
  kAwaitRestart = 8,
  kAwaitUsbOn = 9,
  kAwaitUsbOff = 10,
  kWriteWord = 11,          // 0x90: one parameter word
  kAwaitWord = 12,
  kSetSupply = 13,          // 0x34: the sensor supply setpoint, answered by 0x40
  kAwaitSupply = 14,
  kCalibrate = 15,          // 0x30 [operation]: calibration or INIT
  kAwaitCalibration = 16,
  kRewriteEeprom = 17,      // 0xA0
  kAwaitEeprom = 18,
  kStorageStatus = 19,      // 0x4C: storage module status; every storage job ends here
  kAwaitStorageStatus = 20,
  kStorageIdle = 21,        // takes the pending command, else counts to the next status poll
  kSetClock = 22,           // 0x58: first job of the storage chain
  kAwaitClock = 23,
  kStorageSetup = 24,       // 0x5C: second job of the chain
  kAwaitSetup = 25,
  kReadOut = 26,            // third job: a block request, 0x50 or 0x40
  kAwaitReadAt = 27,
  kAwaitRecordsAt = 28,
  kAwaitReadNext = 29,
  kAwaitRecordsNext = 30,
  kAckBlock = 31,           // 0x48: acknowledges a sequential block
  kAwaitAck = 32,
  kParked = 33,             // closing: nothing more is sent
  kDivider = 34,            // 0x38: clock correction divider
  kAwaitDivider = 35,
};

inline constexpr std::int32_t kLastState = kAwaitDivider;

}  // namespace zhv::st
