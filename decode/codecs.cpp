#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "decode/codecs.h"
#include "protocol/gas_kinds.h"

namespace zhv {

std::string FormatValue(std::uint8_t formatCode, std::int32_t value) {
  const int minDigits = std::min(formatCode & 0x07, 5);
  const int decimals = std::min((formatCode >> 4) & 0x07, 4);

  // Digits are built right-aligned in a small buffer so the result is made
  // once and stays within the short-string storage (no heap on the hot path).
  char digits[16];
  char* const end = digits + sizeof digits;
  char* begin = end;
  if (value >= 99999) {
    begin -= 5;
    std::fill(begin, end, '9');
  } else {
    // The caller shows any sign itself; a negative value prints its magnitude.
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                        : static_cast<std::uint32_t>(value);
    do {
      *--begin = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
  }
  while (end - begin < minDigits) *--begin = '0';

  const int length = static_cast<int>(end - begin);
  if (decimals == 0 || decimals >= length) return std::string(begin, end);
  std::string text;
  text.reserve(static_cast<std::size_t>(length) + 1);
  text.append(begin, end - decimals).push_back('.');
  text.append(end - decimals, end);
  return text;
}

std::string FormatPlain(std::uint8_t formatCode, std::int32_t value) {
  const int decimals = std::min((formatCode >> 4) & 0x07, 4);
  const std::string digits = FormatValue(static_cast<std::uint8_t>(decimals << 4 | (decimals + 1)), value);
  return value < 0 ? "-" + digits : digits;
}

std::string FormatByKind(std::uint16_t kindCode, std::int32_t value) {
  if (kindCode & kKindBlank) return {};
  const GasKind& kind = GasKindOf(kindCode & 0x3F);
  return FormatValue((kindCode & kKindWide) ? kind.wideFormat : kind.narrowFormat, value);
}

double KindScale(std::uint16_t kindCode) { return GasKindOf(kindCode & 0x3F).scale; }

namespace {

// The accepted grammar: an optional sign, then decimal digits with at most one
// point (mapped from the locale's separator), at least one digit.
bool IsPlainNumber(std::string_view text, bool allowPoint) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  bool digit = false, point = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && allowPoint && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

// from_chars takes a leading minus but not a plus.
std::string_view WithoutPlus(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return text;
}

bool ToLocaleNumber(const std::string& text, char separator, double& number) {
  char buffer[64];
  if (text.size() >= sizeof buffer) return false;
  std::size_t n = 0;
  for (char c : text) {
    // In a comma locale a point is no separator, so it must not convert.
    if (c == separator) c = '.';
    else if (c == '.') c = '?';
    buffer[n++] = c;
  }
  const std::string_view mapped(buffer, n);
  if (!IsPlainNumber(mapped, true)) return false;
  const std::string_view digits = WithoutPlus(mapped);
  const auto [ptr, ec] =
      std::from_chars(digits.data(), digits.data() + digits.size(), number, std::chars_format::fixed);
  return ec == std::errc() && ptr == digits.data() + digits.size();
}

// Scaling, rounded half up; false when the result leaves the 32-bit parameter
// value (the conversion would be undefined). Truncating toward zero after adding
// the half would round every negative entry up by one: -5 would store -4.
bool ScaleToValue(double number, double scale, std::int32_t& value) {
  const double scaled = std::floor(number * scale + 0.5);
  if (!(scaled >= std::numeric_limits<std::int32_t>::min() &&
        scaled <= std::numeric_limits<std::int32_t>::max()))
    return false;
  value = static_cast<std::int32_t>(scaled);
  return true;
}

}  // namespace

std::optional<std::int32_t> ParseScaledEntry(std::string text, double scale, char separator) {
  if (separator == '\0') separator = '.';
  // Operators type either separator; the last character is left as typed.
  if (text.size() > 1) {
    const auto last = text.end() - 1;
    const auto it = std::find_if(text.begin(), last, [](char c) { return c == '.' || c == ','; });
    if (it != last) *it = separator;
  }
  double number = 0;
  std::int32_t value = 0;
  if (ToLocaleNumber(text, separator, number) && ScaleToValue(number, scale, value)) return value;
  return std::nullopt;
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  if (!IsPlainNumber(text, false)) return std::nullopt;
  const std::string_view digits = WithoutPlus(text);
  std::int32_t converted = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), converted);
  if (ec != std::errc() || ptr != digits.data() + digits.size()) return std::nullopt;
  return converted;
}

std::int32_t PackedSecond(std::uint32_t packed) { return packed & 0x3F; }
std::int32_t PackedMinute(std::uint32_t packed) { return (packed >> 6) & 0x3F; }
std::int32_t PackedHour(std::uint32_t packed) { return (packed >> 12) & 0x1F; }
std::int32_t PackedDay(std::uint32_t packed) { return (packed >> 17) & 0x1F; }
std::int32_t PackedMonth(std::uint32_t packed) { return (packed >> 22) & 0x0F; }
std::int32_t PackedYear(std::uint32_t packed, std::uint16_t referenceYear) {
  return referenceYear % 100 + static_cast<std::int32_t>((packed >> 26) & 0x3F);
}

std::string Hex2(std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string{kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

}  // namespace zhv
