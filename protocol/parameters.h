// The unit's parameter block, one table of fields: fifteen 16-bit words read
// with 0x60 and written one at a time with 0x90, and the sensor supply setpoint
// after them, written with 0x34. The window's decoders and editors and the
// simulated unit all take their words, bits, scales and ranges from here.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace zhv::param {

inline constexpr std::size_t kWordCount = 15;  // words 0x00..0x0E: the 0x60 answer
inline constexpr std::size_t kBlockSize = 32;  // and the setpoint as a sixteenth word
inline constexpr std::uint8_t kLastWord = 0x0E;
inline constexpr std::uint8_t kSetpointWord = 0x0F;  // bytes 30 and 31, never in the 0x60 answer

using Block = std::array<std::uint8_t, kBlockSize>;

constexpr std::uint8_t Offset(std::uint8_t word) { return static_cast<std::uint8_t>(2 * word); }

// Little-endian: word N at bytes 2N and 2N+1. The block has room for words 0x00..0x0F.
inline std::uint16_t Word(const Block& b, std::uint8_t word) {
  const std::size_t at = Offset(word & 0x0F);
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
inline void PutWord(Block& b, std::uint8_t word, std::uint16_t value) {
  const std::size_t at = Offset(word & 0x0F);
  b[at] = static_cast<std::uint8_t>(value & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// How the operator changes a field.
enum class Entry : std::uint8_t {
  None,     // shown only; the unit sets it (calibration, INIT)
  Integer,  // a whole number within min..max; anything else is refused
  Clamped,  // a whole number held to min..max
  Decimal,  // a number times the scale, within min..max; anything else is refused
  ByKind,   // the same, with the scale and format of channel 1's gas kind
  Flag,     // a check box, checked while the bits are 0: a set bit switches a function off
};

struct Field {
  const char* name;
  std::uint8_t word;
  std::uint16_t mask;  // the bits of the word it holds
  Entry entry;
  double scale;               // Decimal: the stored integer per unit of the entry
  std::uint8_t format;        // the format code it is shown with (by the gas kind for ByKind)
  std::uint8_t entryFormat;   // ... and the one an entry is written back with
  // The values the field's bits can hold, as stored (times the scale). A Clamped
  // entry is held to them; any other entry beyond them is refused, for it would
  // wrap round in the word: a threshold of -0.3 % would become 655.06 %.
  std::int32_t min, max;
  const char* control;        // the edit or check box that shows it
};

// The field's value: its bits of the word, shifted down.
inline std::uint16_t Get(const Block& b, const Field& f) {
  return static_cast<std::uint16_t>((Word(b, f.word) & f.mask) >> std::countr_zero(f.mask));
}
// Puts a value into the field's bits; the word's other bits stay as they stand.
inline void Set(Block& b, const Field& f, std::uint32_t value) {
  const auto shifted = static_cast<std::uint16_t>(value << std::countr_zero(f.mask));
  PutWord(b, f.word, static_cast<std::uint16_t>((Word(b, f.word) & ~f.mask) | (shifted & f.mask)));
}
inline bool IsSet(const Block& b, const Field& f) { return (Word(b, f.word) & f.mask) != 0; }

// clang-format off
// --- word 0x00: configuration flags (labelled D[0]..D[7]) and the temperature threshold
inline constexpr Field kZero1NotDone{"Отстрел нуля, канал 1, не выполнен", 0x00, 0x0001, Entry::None, 1, 0, 0, 0, 1, "CheckBox121"};
inline constexpr Field kSpan1NotDone{"Отстрел концентрации, канал 1, не выполнен", 0x00, 0x0002, Entry::None, 1, 0, 0, 0, 1, "CheckBox122"};
inline constexpr Field kZero2NotDone{"Отстрел нуля, канал 2, не выполнен", 0x00, 0x0004, Entry::None, 1, 0, 0, 0, 1, "CheckBox221"};
inline constexpr Field kSpan2NotDone{"Отстрел концентрации, канал 2, не выполнен", 0x00, 0x0008, Entry::None, 1, 0, 0, 0, 1, "CheckBox222"};
inline constexpr Field kTemperatureOff{"Контроль температуры выключен", 0x00, 0x0010, Entry::Flag, 1, 0, 0, 0, 1, "CheckBox320"};
inline constexpr Field kVoiceOff{"Голосовое информирование выключено", 0x00, 0x0020, Entry::Flag, 1, 0, 0, 0, 1, "CheckBox360"};
inline constexpr Field kCleanAirOff{"Отстрел нуля не на чистом воздухе", 0x00, 0x0080, Entry::Flag, 1, 0, 0, 0, 1, "CheckBox1211"};
inline constexpr Field kTemperatureThreshold{"Порог температуры, град.С", 0x00, 0xFF00, Entry::Clamped, 1, 2, 3, 0, 127, "Edit321"};
// --- channel 1
inline constexpr Field kZeroVoltage1{"Напряжение отстрела нуля, канал 1", 0x01, 0xFFFF, Entry::None, 1, 0x45, 0x45, 0, 0xFFFF, "Edit121"};
inline constexpr Field kSpanVoltage1{"Напряжение отстрела концентрации, канал 1", 0x02, 0xFFFF, Entry::None, 1, 0x45, 0x45, 0, 0xFFFF, "Edit1221"};
inline constexpr Field kCalConcentration1{"Концентрация отстрела, канал 1", 0x03, 0xFFFF, Entry::ByKind, 0, 0, 0, 0, 0xFFFF, "Edit1220"};
inline constexpr Field kThreshold1{"Порог сигнализации, канал 1", 0x04, 0xFFFF, Entry::ByKind, 0, 0, 0, 0, 0xFFFF, "Edit123"};
// --- channel 2
inline constexpr Field kZeroVoltage2{"Напряжение отстрела нуля, канал 2", 0x05, 0xFFFF, Entry::None, 1, 0x45, 0x45, 0, 0xFFFF, "Edit221"};
inline constexpr Field kSpanVoltage2{"Напряжение отстрела концентрации, канал 2", 0x06, 0xFFFF, Entry::None, 1, 0x45, 0x45, 0, 0xFFFF, "Edit2221"};
inline constexpr Field kCalConcentration2{"Концентрация отстрела, канал 2", 0x07, 0xFFFF, Entry::Decimal, 1, 4, 4, 0, 0xFFFF, "Edit2220"};
inline constexpr Field kThreshold2{"Порог сигнализации, канал 2", 0x08, 0xFFFF, Entry::Decimal, 1, 4, 4, 0, 0xFFFF, "Edit223"};
// --- the valve and the backup power
inline constexpr Field kValveVoltage{"Напряжение на импульсном клапане, В", 0x09, 0xFFFF, Entry::Decimal, 100, 0x24, 0x24, 0, 0xFFFF, "Edit3310"};
inline constexpr Field kBackupRunTime{"Время работы от резервного питания, сек", 0x0A, 0xFFFF, Entry::Integer, 1, 5, 5, 0, 0xFFFF, "Edit351"};
// --- word 0x0B: system settings (D[12], D[13] the flags; bits 14, 15 unused)
inline constexpr Field kRecordPeriod{"Период записи состояния, сек", 0x0B, 0x0FFF, Entry::Clamped, 1, 4, 4, 0, 4095, "Edit10210"};
inline constexpr Field kBackupPowerOff{"Резервное питание не используется", 0x0B, 0x1000, Entry::Flag, 1, 0, 0, 0, 1, "CheckBox350"};
inline constexpr Field kValveOff{"Нет сработки клапана после отключения", 0x0B, 0x2000, Entry::Flag, 1, 0, 0, 0, 1, "CheckBox3501"};
// --- the interface module's report periods
inline constexpr Field kPeriodNormal{"Период выдачи состояния Норма, сек", 0x0C, 0xFFFF, Entry::Integer, 1, 5, 5, 0, 0xFFFF, "Edit421"};
inline constexpr Field kPeriodFault{"Период выдачи состояния Авария, сек", 0x0D, 0xFFFF, Entry::Integer, 1, 5, 5, 0, 0xFFFF, "Edit422"};
inline constexpr Field kPeriodGas{"Период выдачи состояния Загазованость, сек", 0x0E, 0xFFFF, Entry::Integer, 1, 5, 5, 0, 0xFFFF, "Edit423"};
// --- the sensor supply voltage setpoint, 10 mV
inline constexpr Field kSupplySetpoint{"Напряжение питания сенсора, В", kSetpointWord, 0xFFFF, Entry::Decimal, 100, 0x23, 0x23, 0, 0xFFFF, "Edit142"};
// clang-format on

// Every field, in the order of the words, the setpoint last.
inline constexpr std::array<const Field*, 25> kFields{
    &kZero1NotDone,      &kSpan1NotDone,     &kZero2NotDone,  &kSpan2NotDone,     &kTemperatureOff,
    &kVoiceOff,          &kCleanAirOff,      &kTemperatureThreshold, &kZeroVoltage1, &kSpanVoltage1,
    &kCalConcentration1, &kThreshold1,       &kZeroVoltage2,  &kSpanVoltage2,     &kCalConcentration2,
    &kThreshold2,        &kValveVoltage,     &kBackupRunTime, &kRecordPeriod,     &kBackupPowerOff,
    &kValveOff,          &kPeriodNormal,     &kPeriodFault,   &kPeriodGas,        &kSupplySetpoint};

// A sensor channel's words and its two calibration marks; channel 2 exists on the combined unit only.
struct Channel {
  const Field& zeroVoltage;
  const Field& spanVoltage;
  const Field& calConcentration;
  const Field& threshold;
  const Field& zeroNotDone;
  const Field& spanNotDone;
};
inline constexpr Channel kChannels[2]{
    {kZeroVoltage1, kSpanVoltage1, kCalConcentration1, kThreshold1, kZero1NotDone, kSpan1NotDone},
    {kZeroVoltage2, kSpanVoltage2, kCalConcentration2, kThreshold2, kZero2NotDone, kSpan2NotDone},
};

}  // namespace zhv::param
