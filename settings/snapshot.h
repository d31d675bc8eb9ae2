// A unit's settings as a file: what the tool reads of the unit's set-up, in a
// JSON text a person can read and compare, and read back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/parameters.h"

namespace zhv {

// Raised when the file's layout changes; an older tool refuses a newer file.
inline constexpr int kSettingsFormatVersion = 1;

struct Snapshot {
  std::uint8_t deviceType = 0;
  std::string product;           // as the window names the unit
  std::int32_t version = 0;      // 10 bits, 130 is shown as 1.30
  std::uint16_t softwareId = 0;  // identification bytes 5 (high) and 4 (low)
  std::uint8_t gasKind = 0;
  param::Block block{};                  // words 0x00..0x0E, the supply setpoint as word 0x0F
  std::optional<std::uint16_t> divider;  // only a unit with the storage module has one
  std::string readAt;                    // "2024-05-17 13:45:09", the PC's local time
  std::string port;
  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

std::string WriteSnapshot(const Snapshot& snapshot);
// The snapshot a settings file holds, or nothing, with what is wrong in `error`.
std::optional<Snapshot> ReadSnapshot(const std::string& text, std::string& error);

// "0x11", as the window writes device types.
std::string DeviceTypeText(std::uint8_t type);

}  // namespace zhv
