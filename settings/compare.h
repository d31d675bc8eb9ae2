// The unit's settings beside a file's, field by field, in the window's own
// texts, formats and units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/parameters.h"
#include "settings/snapshot.h"

namespace zhv {

struct Comparison {
  std::string name;
  std::string unit, file;  // the two values as the window shows them
  bool differs = false;
  // What a restore would write: a parameter field (the setpoint among them) or
  // the clock divider; neither for what identifies the unit.
  const param::Field* field = nullptr;
  bool divider = false;
  std::uint32_t fileValue = 0;

  bool Writable() const { return field || divider; }
  // Calibration voltages and marks: set by calibration, written only when ticked.
  bool Calibration() const { return field && field->entry == param::Entry::None; }
};

// What identifies the unit first (type, product, software, gas kind), then
// every field of the parameter table in its order, then the clock divider.
std::vector<Comparison> Compare(const Snapshot& unit, const Snapshot& file);

// A field's value as the window shows it for a unit of this gas kind.
std::string ShowField(const param::Field& field, std::uint32_t value, std::uint8_t gasKind);
// "ТКЭ 0x11", "природный CH4 (1)": the unit as the window names it.
std::string UnitTypeText(std::uint8_t deviceType);
std::string GasKindText(std::uint8_t gasKind);

}  // namespace zhv
