// The states of the exchange with an identified unit, and the commands an
// operator action can leave pending for it.
#pragma once

#include <cstdint>

namespace zhv {

enum class State : std::uint8_t {
  Identify,            // 0x10 [0x10]: identification with status
  AwaitIdentify,
  ReadParams,          // 0x60: the parameter block
  AwaitParams,
  StatusIdle,          // takes a pending command, else 0x20: status
  AwaitStatus,
  Idle,                // takes a pending command, else counts to the next poll
  UnitControl,         // 0x10 [argument]: restart, USB control on or off
  AwaitRestart,
  AwaitUsbOn,
  AwaitUsbOff,
  WriteWord,           // 0x90: one parameter word
  AwaitWord,
  SetSupply,           // 0x34: the sensor supply setpoint, answered by 0x40
  AwaitSupply,
  Calibrate,           // 0x30 [operation]: calibration or INIT
  AwaitCalibration,
  RewriteEeprom,       // 0xA0
  AwaitEeprom,
  StorageStatus,       // 0x4C: storage module status; every storage job ends here
  AwaitStorageStatus,
  StorageIdle,         // takes a pending command, else counts to the next status poll
  SetClock,            // 0x58: first job of the storage chain
  AwaitClock,
  StorageSetup,        // 0x5C: second job of the chain
  AwaitSetup,
  ReadOut,             // third job: a block request, 0x50 or 0x40
  AwaitReadAt,
  AwaitRecordsAt,
  AwaitReadNext,
  AwaitRecordsNext,
  AckBlock,            // 0x48: acknowledges a sequential block
  AwaitAck,
  Parked,              // closing: nothing more is sent
  Divider,             // 0x38: clock correction divider
  AwaitDivider,
};
inline constexpr int kStateCount = static_cast<int>(State::AwaitDivider) + 1;

// An operator's command, waiting for an idle state to take it up.
enum class Pending : std::uint8_t {
  None,
  UnitControl,    // restart, USB control on or off: the command argument says which
  WriteWord,      // the parameter word at the parameter offset
  SetSupply,      // the sensor supply setpoint
  Calibrate,      // calibration or INIT: the command argument is the operation
  RewriteEeprom,
  Storage,        // the storage chain: clock, set-up, read-out, as their jobs are flagged
  ClockDivider,
};

// The state at which a pending command begins.
constexpr State FirstState(Pending p) {
  switch (p) {
    case Pending::UnitControl: return State::UnitControl;
    case Pending::WriteWord: return State::WriteWord;
    case Pending::SetSupply: return State::SetSupply;
    case Pending::Calibrate: return State::Calibrate;
    case Pending::RewriteEeprom: return State::RewriteEeprom;
    case Pending::Storage: return State::SetClock;
    case Pending::ClockDivider: return State::Divider;
    case Pending::None: break;
  }
  return State::StatusIdle;
}

}  // namespace zhv
