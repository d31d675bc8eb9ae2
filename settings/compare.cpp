#include "settings/compare.h"

#include <bit>

#include "decode/codecs.h"
#include "decode/texts.h"
#include "protocol/catalogue.h"
#include "protocol/gas_kinds.h"

namespace zhv {

namespace {

constexpr const char* kAbsent = "—";

std::string Version(std::int32_t version) { return FormatValue(0x23, version); }

std::string SoftwareId(std::uint16_t id) {
  return Hex2(static_cast<std::uint8_t>(id >> 8)) + Hex2(static_cast<std::uint8_t>(id & 0xFF));
}

std::string Divider(const std::optional<std::uint16_t>& divider) {
  return divider ? FormatValue(4, *divider) : kAbsent;
}

}  // namespace

std::string UnitTypeText(std::uint8_t deviceType) { return "ТКЭ " + DeviceTypeText(deviceType); }

std::string GasKindText(std::uint8_t gasKind) {
  return std::string(GasKindOf(gasKind).name) + " (" + std::to_string(gasKind) + ")";
}

std::string ShowField(const param::Field& field, std::uint32_t value, std::uint8_t gasKind) {
  // A single bit is a flag or a calibration mark: the field's name says what a set one means.
  if (std::popcount(field.mask) == 1) return value ? "да" : "нет";
  const GasKind& kind = GasKindOf(gasKind);
  const auto v = static_cast<std::int32_t>(value);
  if (field.entry == param::Entry::ByKind) {
    // The first channel of the combined unit is its natural gas sensor.
    const std::uint8_t shown = kind.secondChannel ? cat::kGasCH4 : gasKind;
    const std::string unit = ConcentrationUnit(GasKindOf(shown).channel);
    const std::string text = FormatByKind(static_cast<std::uint16_t>(shown | kKindWide), v);
    return unit.empty() ? text : text + " " + unit;
  }
  const bool firstChannel = &field == &param::kZeroVoltage1 || &field == &param::kSpanVoltage1;
  if (firstChannel && kind.optical) return FormatValue(5, v);  // a raw signal, not volts
  if (field.format == param::kZeroVoltage1.format) return FormatValue(field.format, v) + " " + txt::kVolts;
  return FormatValue(field.format, v);
}

std::vector<Comparison> Compare(const Snapshot& unit, const Snapshot& file) {
  std::vector<Comparison> rows;
  const auto identity = [&rows](const char* name, std::string u, std::string f) {
    Comparison c;
    c.name = name;
    c.differs = u != f;
    c.unit = std::move(u);
    c.file = std::move(f);
    rows.push_back(std::move(c));
  };
  identity("Тип устройства", UnitTypeText(unit.deviceType), UnitTypeText(file.deviceType));
  identity("Изделие", unit.product, file.product);
  identity("Ver ПО", Version(unit.version), Version(file.version));
  identity("Id ПО", SoftwareId(unit.softwareId), SoftwareId(file.softwareId));
  identity("Газ", GasKindText(unit.gasKind), GasKindText(file.gasKind));

  for (const param::Field* f : param::kFields) {
    Comparison c;
    c.name = f->name;
    c.field = f;
    const std::uint32_t u = param::Get(unit.block, *f);
    c.fileValue = param::Get(file.block, *f);
    c.differs = u != c.fileValue;
    c.unit = ShowField(*f, u, unit.gasKind);
    c.file = ShowField(*f, c.fileValue, file.gasKind);
    rows.push_back(std::move(c));
  }

  Comparison d;
  d.name = "Делитель коррекции часов";
  d.divider = file.divider.has_value();
  d.fileValue = file.divider.value_or(0);
  // A file without a divider leaves the unit's alone; one not read is not told apart.
  d.differs = file.divider && unit.divider && *unit.divider != *file.divider;
  d.unit = Divider(unit.divider);
  d.file = Divider(file.divider);
  rows.push_back(std::move(d));
  return rows;
}

}  // namespace zhv
