// The value codecs are pure: text in, number out, and back.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "decode/codecs.h"

namespace zhv {
namespace {

TEST(FormatValue, FixedPointPaddingAndCeiling) {
  struct Case {
    std::uint8_t code;
    std::int32_t value;
    const char* text;
  };
  const Case cases[] = {
      {69, 1234, "0.1234"},  {35, 5, "0.05"},        {35, 1234, "12.34"},
      {52, 40, "0.040"},     {36, 150000, "999.99"}, {2, 7, "07"},
      {5, 123, "00123"},     {4, 2024, "2024"},      {35, 0, "0.00"},
      {69, 0, "0.0000"},     {0x40, 12, "12"},       {3, 12345, "12345"},
      {35, 99998, "999.98"}, {35, 99999, "999.99"},  {35, 2000000, "999.99"},
      {0, 0, "0"},           {1, 0, "0"},
      // As many decimals as characters: no point is inserted.
      {0x20, 12, "12"},      {0x44, 1234, "1234"},   {0x23, 5, "0.05"},
      // Digit counts above 5 and decimal counts above 4 are capped.
      {7, 3, "00003"},       {0x75, 123456, "9.9999"}, {0x76, 42, "0.0042"},
      // Bits 3 and 7 carry nothing.
      {0x8A, 7, "07"},
      // A negative value prints its magnitude; the caller shows the sign.
      {0x23, -5, "0.05"},    {3, INT32_MIN, "2147483648"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatValue(c.code, c.value), c.text) << "code " << int(c.code) << " value " << c.value;
}

TEST(FormatByKind, DigitsDecimalsAndScale) {
  struct Case {
    std::uint16_t kind;
    std::int32_t value;
    const char* text;
    double scale;
  };
  const Case cases[] = {
      {1, 5, "0.05", 100},
      {2 | kKindWide, 5, "00.05", 100},
      {13, 40, "0.040", 1000},
      {33 | kKindWide, 1234, "1.234", 1000},  // the wide bit changes nothing here
      {23, 7, "007", 1},
      {23 | kKindWide, 7, "0007", 1},
      {27, 5, "005", 1},  // not in the table
      {27 | kKindWide, 5, "005", 1},
      {0x41, 5, "0.05", 100},  // only bits 0..5 name the kind
      {0x201, 55, "", 100},    // blank, and the kind still has its scale
      {0x20D, 55, "", 1000},
      {0xFC00 | 23, 12, "012", 1},  // unused high bits ignored
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatByKind(c.kind, c.value), c.text) << "kind " << c.kind;
    EXPECT_EQ(KindScale(c.kind), c.scale) << "kind " << c.kind;
  }
}

// Either separator may be typed: the first "." or "," before the last character
// stands for the locale's; a separator that is not the locale's anywhere else
// makes the text no number.
TEST(ParseScaledEntry, NumbersInEitherLocale) {
  struct Case {
    const char* text;
    char separator;
    double scale;
    std::optional<std::int32_t> value;
  };
  const Case cases[] = {
      {"12,5", '.', 100, 1250},  {"12,5", ',', 100, 1250},  {"12.5", ',', 100, 1250},
      {"12.5", '.', 100, 1250},  {"0.125", '.', 100, 13},   {"0,125", ',', 100, 13},
      {"12,", ',', 100, 1200},   {"+3", '.', 100, 300},     {"-1.5", '.', 100, -150},
      {"7", '.', 1, 7},          {"-5", '.', 1, -5},        {"-0.125", '.', 100, -12},
      {",5", '.', 1000, 500},    {"2.345", '.', 1000, 2345}, {"1", '.', 100, 100},
      // the trailing separator is left as typed, and is no separator in the other locale
      {"12,", '.', 100, std::nullopt}, {"12.", ',', 100, std::nullopt}, {"1,2.", ',', 100, std::nullopt},
      // only the first one is rewritten: the second stays and is no number
      {"1,2,3", '.', 100, std::nullopt}, {"1,2,3", ',', 100, std::nullopt},
      // no scale set yet
      {"abc", '.', 0, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseScaledEntry(c.text, c.scale, c.separator), c.value) << '"' << c.text << "\" sep " << c.separator;
}

TEST(ParseScaledEntry, TextThatIsNoNumber) {
  for (const char* text : {"abc", "", "12,", "1.2.3", "1,2,3", "12x", " 12", "+", "-", ".", "1e3", "inf", "nan",
                           "0x10", "--1", "99999999999999"})
    EXPECT_EQ(ParseScaledEntry(text, 100, '.'), std::nullopt) << '"' << text << '"';
}

TEST(ParseInteger, SignAndDigitsWithin32Bits) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> value;
  };
  const Case cases[] = {
      {"125", 125},  {"+7", 7},   {"-1", -1},   {"00042", 42},  {"70000", 70000},
      {"12.5", std::nullopt}, {"", std::nullopt},  {"abc", std::nullopt}, {"12a", std::nullopt},
      {" 5", std::nullopt},   {"-", std::nullopt}, {"99999999999", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(Packed, FieldsOfATimestamp) {
  // Data bytes 5F 8A 84 10, little-endian.
  const std::uint32_t packed = 0x10848A5F;
  EXPECT_EQ(PackedSecond(packed), 31);
  EXPECT_EQ(PackedMinute(packed), 41);
  EXPECT_EQ(PackedHour(packed), 8);
  EXPECT_EQ(PackedDay(packed), 2);
  EXPECT_EQ(PackedMonth(packed), 2);
  EXPECT_EQ(PackedYear(packed, 2020), 24);
  EXPECT_EQ(PackedYear(packed, 0), 4);
  EXPECT_EQ(PackedYear(0xFFFFFFFF, 2099), 99 + 63);
  EXPECT_EQ(PackedSecond(0xFFFFFFFF), 63);
  EXPECT_EQ(PackedHour(0xFFFFFFFF), 31);
  EXPECT_EQ(PackedMonth(0xFFFFFFFF), 15);
}

TEST(Hex2, TwoUpperCaseDigits) {
  EXPECT_EQ(Hex2(0x0A), "0A");
  EXPECT_EQ(Hex2(0xFF), "FF");
  EXPECT_EQ(Hex2(0x00), "00");
  EXPECT_EQ(Hex2(0xB0), "B0");
}

}  // namespace
}  // namespace zhv
