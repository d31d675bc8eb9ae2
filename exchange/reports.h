// What the exchange tells the layers above it. It includes none of them: the
// application hands it these when it wires the tool together.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "protocol/frame.h"
#include "protocol/parameters.h"

namespace zhv {

// The presenters: what the unit answered, to be shown. The frame is the
// accepted answer; the exchange's own state (parameter block, status bytes,
// what identification told) is read where it stands.
class UnitDisplay {
 public:
  virtual ~UnitDisplay() = default;
  // The first identification answer reveals the unit's tabs; a restart's does not.
  virtual void ShowIdentification(const Frame& answer, bool revealTabs) = 0;
  virtual void ShowParameters() = 0;
  // A status answer; the first after identification or restart sets the channels up.
  virtual void ShowStatus(const Frame& answer, bool setUpChannels) = 0;
  virtual void ShowBaseStatus() = 0;
  virtual void ShowSupplySetpoint(std::int32_t setpoint) = 0;
  virtual void ShowCalibration(std::uint8_t operation, std::uint8_t errorFlags) = 0;
  virtual void ShowEepromRewrite(bool failed) = 0;
  virtual void ShowStorageStatus(const Frame& answer) = 0;
  virtual void ShowDivider(std::int32_t divider) = 0;
  // After a write: the word sent and the one the unit holds now.
  virtual void ShowWriteVerdict(const param::Field& field, std::uint16_t sent, std::uint16_t held) = 0;
  // The unit has been silent (or has answered without doing what it was asked)
  // for this many seconds; hidden again by the next accepted answer.
  virtual void ShowSilence(bool answering, int seconds) = 0;
  virtual void HideSilence() = 0;
  // A new start: nothing of the last unit's echoes or silence stays.
  virtual void Reset() = 0;
};

// The operator's commands: what becomes usable again.
class CommandEvents {
 public:
  virtual ~CommandEvents() = default;
  // "ReStart ТКЭ", "Вкл." and "Выкл." of every status group.
  virtual void SetControlButtons(bool enabled) = 0;
  // Unlocks editing while the unit reports USB control, locks it otherwise.
  virtual void ApplyEditingLock() = 0;
  // The divider request is answered or will not be sent: "Обновить" comes back.
  virtual void DividerSettled() = 0;
};

// A job of several commands (a settings restore) follows each of them to the
// unit's answer and the parameter block read after it.
class CommandWatch {
 public:
  virtual ~CommandWatch() = default;
  // A parameter write answered: the word the unit keeps now (0x0F: the sensor
  // supply setpoint, which the parameter block read does not carry).
  virtual void WordAnswered(std::uint8_t word, std::uint16_t value) = 0;
  // The clock divider answered, read or set: the one in force.
  virtual void DividerAnswered(std::int32_t divider) = 0;
  // A parameter block has been read and taken into the tool's copy.
  virtual void ParametersRead() = 0;
};

enum class ReadOutEnd { Complete, WriteFailed, Interrupted, Stopped };

// What became of a block's records in the export file.
struct BlockWritten {
  std::int32_t records = 0;  // whole records put on disk
  bool failed = false;       // the file refused the rest: the read-out ends
};

// Clock entry as the storage tab's edits give it, checked and corrected.
struct ClockEntry {
  std::array<std::uint8_t, 7> payload{};  // day, month, year low, high, hour, minute, second
  bool valid = false;
};

// The storage tab and the export file of a read-out.
class StorageEvents {
 public:
  virtual ~StorageEvents() = default;
  // Reads the date and time edits, rewriting each with its corrected value.
  virtual ClockEntry ReadClockEntry() = 0;
  // The data byte of the set-up request, from the two check boxes.
  virtual std::uint8_t SetupByte() = 0;
  // A block of records arrived: writes its records from the `first` on, of the
  // `count` it holds at most (the records before `first` are on disk already).
  virtual BlockWritten WriteBlock(std::span<const std::uint8_t> block, std::int32_t first, std::int32_t count) = 0;
  // The read-out that had its export file open has ended: closes the file and says how.
  virtual void CloseReadOut(ReadOutEnd how) = 0;
  // A read-out requested or under way is over, however: the file buttons come back.
  virtual void ReadOutOver() = 0;
};

}  // namespace zhv
