// Value codecs: every number shown or entered passes through them. The
// fixed-point formatter, the gas-kind formatter, the entry parsers and the
// fields of a packed time stamp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zhv {

// Format code: bits 0..2 the least number of digits (leading zeros), bits 4..6
// the digits after the point. A value of 99999 or more shows "99999"; a negative
// value shows its magnitude (the caller shows any sign).
std::string FormatValue(std::uint8_t formatCode, std::int32_t value);

// The same value with the format's decimals but no padding zeros, for a message: "0.50", "65535".
std::string FormatPlain(std::uint8_t formatCode, std::int32_t value);

// A gas kind code (bits 0..5) with the wide form or no text at all asked for.
inline constexpr std::uint16_t kKindWide = 0x100;
inline constexpr std::uint16_t kKindBlank = 0x200;
// A concentration in the kind's format; empty with kKindBlank.
std::string FormatByKind(std::uint16_t kindCode, std::int32_t value);
// The factor between the kind's engineering value and its stored integer.
double KindScale(std::uint16_t kindCode);

// A decimal entry times the scale, rounded half up; nothing when the text is no
// number or the result leaves 32 bits. The first "." or "," before the last
// character stands for the locale's separator, so either may be typed.
std::optional<std::int32_t> ParseScaledEntry(std::string text, double scale, char separator);
// An optional sign and decimal digits, the whole text, within 32 bits.
std::optional<std::int32_t> ParseInteger(std::string_view text);

std::int32_t PackedSecond(std::uint32_t packed);
std::int32_t PackedMinute(std::uint32_t packed);
std::int32_t PackedHour(std::uint32_t packed);
std::int32_t PackedDay(std::uint32_t packed);
std::int32_t PackedMonth(std::uint32_t packed);
std::int32_t PackedYear(std::uint32_t packed, std::uint16_t referenceYear);

std::string Hex2(std::uint8_t byte);  // two upper-case hexadecimal digits

}  // namespace zhv
