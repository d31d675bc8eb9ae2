#include <gtest/gtest.h>

#include "app/record.h"
#include "decode/ServTKE.h"
#include "platform/fakes.h"

namespace zhv {
namespace {

struct FormatCase {
  std::uint8_t code;
  std::int32_t value;
  const char* text;
};

TEST(FormatValue, FixedPointPaddingAndCeiling) {
  const FormatCase cases[] = {
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
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatValue(c.code, c.value), c.text) << "code " << int(c.code) << " value " << c.value;
}

TEST(FormatValue, NegativeValuesPrintTheirMagnitude) {
  EXPECT_EQ(FormatValue(0x23, -5), "0.05");
  EXPECT_EQ(FormatValue(3, INT32_MIN), "2147483648");
}

struct KindCase {
  std::uint16_t kind;
  std::int32_t value;
  const char* text;
  double scale;
};

TEST(FormatByKind, DigitsDecimalsAndScale) {
  const KindCase cases[] = {
      {1, 5, "0.05", 100},
      {2 | kKindWide, 5, "00.05", 100},
      {13, 40, "0.040", 1000},
      {33 | kKindWide, 1234, "1.234", 1000},  // the wide bit changes nothing here
      {23, 7, "007", 1},
      {23 | kKindWide, 7, "0007", 1},
      {27, 5, "005", 1},  // not in the table
      {27 | kKindWide, 5, "005", 1},
      {0x41, 5, "0.05", 100},     // only bits 0..5 name the kind
      {0x201, 55, "", 100},       // blank, the scale is still stored
      {0x20D, 55, "", 1000},
      {0xFC00 | 23, 12, "012", 1},  // unused high bits ignored
  };
  for (const auto& c : cases) {
    ExchangeRecord r;
    EXPECT_EQ(FormatByKind(r, c.kind, c.value), c.text) << "kind " << c.kind;
    EXPECT_EQ(r.paramScale, c.scale) << "kind " << c.kind;
  }
}

// A parser fixture: a block word at offset 8 that already holds 0x1234.
class Parse : public ::testing::Test {
 protected:
  void SetUp() override {
    r.paramOffset = 8;
    r.param[8] = 0x34;
    r.param[9] = 0x12;
  }
  std::int32_t Word() const { return r.param[8] + 256 * r.param[9]; }
  void Scaled(const std::string& text, double scale, char separator) {
    r.entryText = text;
    r.paramScale = scale;
    locale.separator = separator;
    ParseScaledEntry(r, locale);
  }
  ExchangeRecord r;
  fake::Locale locale;
};

TEST_F(Parse, ScaledEntryInEitherLocale) {
  struct Case {
    const char* text;
    char separator;
    double scale;
    std::int32_t value;
  };
  const Case cases[] = {
      {"12,5", '.', 100, 1250}, {"12,5", ',', 100, 1250}, {"12.5", ',', 100, 1250},
      {"0.125", '.', 100, 13},  {"0,125", ',', 100, 13},  {"12,", ',', 100, 1200},
      {"+3", '.', 100, 300},    {"-1.5", '.', 100, -150}, {"7", '.', 1, 7},
      {"-5", '.', 1, -5},       {"-0.125", '.', 100, -12},
      {",5", '.', 1000, 500},   {"2.345", '.', 1000, 2345},
  };
  for (const auto& c : cases) {
    SetUp();
    Scaled(c.text, c.scale, c.separator);
    EXPECT_EQ(r.entryRejected, 0) << c.text << " sep " << c.separator;
    EXPECT_EQ(r.paramValue, c.value) << c.text << " sep " << c.separator;
    EXPECT_EQ(Word(), c.value & 0xFFFF) << c.text << " sep " << c.separator;
  }
}

TEST_F(Parse, OnlyTheFirstSeparatorBeforeTheLastCharacterIsRewritten) {
  Scaled("12,5", 100, ',');
  EXPECT_EQ(r.entryText, "12,5");
  Scaled("12.5", 100, ',');
  EXPECT_EQ(r.entryText, "12,5");
  Scaled("12.5", 100, '.');
  EXPECT_EQ(r.entryText, "12.5");
  Scaled("1,2,3", 100, '.');
  EXPECT_EQ(r.entryText, "1.2,3");
  Scaled("12,", 100, '.');  // the trailing comma stays and does not convert here
  EXPECT_EQ(r.entryText, "12,");
  EXPECT_EQ(r.entryRejected, 1);
}

TEST_F(Parse, BadScaledTextKeepsTheWord) {
  const char* texts[] = {"abc", "", "12,", "1.2.3", "1,2,3", "12x", " 12", "+", "-", ".",
                         "1e3", "inf", "nan", "0x10", "--1", "99999999999999"};
  for (const char* text : texts) {
    SetUp();
    Scaled(text, 100, '.');
    EXPECT_EQ(r.entryRejected, 1) << '"' << text << '"';
    EXPECT_EQ(r.paramValue, 0x1234) << '"' << text << '"';
    EXPECT_EQ(Word(), 0x1234) << '"' << text << '"';
  }
  // In a comma locale a point anywhere but first is no separator.
  Scaled("1,2.", 100, ',');
  EXPECT_EQ(r.entryRejected, 1);
  Scaled("12.", 100, ',');
  EXPECT_EQ(r.entryRejected, 1);
  EXPECT_EQ(Word(), 0x1234);
  // A rejection before any kind set the scale still keeps the word.
  Scaled("abc", 0, '.');
  EXPECT_EQ(r.entryRejected, 1);
  EXPECT_EQ(Word(), 0x1234);
}

TEST_F(Parse, RejectionFlagIsClearedByTheNextGoodEntry) {
  Scaled("abc", 100, '.');
  ASSERT_EQ(r.entryRejected, 1);
  Scaled("1", 100, '.');
  EXPECT_EQ(r.entryRejected, 0);
  EXPECT_EQ(Word(), 100);
}

TEST_F(Parse, IntegerEntry) {
  struct Case {
    const char* text;
    std::uint8_t rejected;
    std::int32_t value;
  };
  const Case cases[] = {
      {"125", 0, 125},      {"+7", 0, 7},         {"-1", 0, -1},       {"00042", 0, 42},
      {"70000", 0, 70000},  {"12.5", 1, 0x1234},  {"", 1, 0x1234},     {"abc", 1, 0x1234},
      {"12a", 1, 0x1234},   {" 5", 1, 0x1234},    {"-", 1, 0x1234},    {"99999999999", 1, 0x1234},
  };
  for (const auto& c : cases) {
    SetUp();
    r.entryText = c.text;
    ParseIntegerEntry(r);
    EXPECT_EQ(r.entryRejected, c.rejected) << '"' << c.text << '"';
    EXPECT_EQ(r.paramValue, c.value) << '"' << c.text << '"';
    EXPECT_EQ(Word(), c.value & 0xFFFF) << '"' << c.text << '"';
  }
}

TEST_F(Parse, WritesOnlyItsOwnWord) {
  r.param.fill(0xAA);
  r.paramOffset = 30;  // the supply setpoint, last word of the block
  r.entryText = "2.5";
  r.paramScale = 100;
  ParseScaledEntry(r, locale);
  EXPECT_EQ(r.param[30], 250);
  EXPECT_EQ(r.param[31], 0);
  EXPECT_EQ(r.param[29], 0xAA);
}

TEST_F(Parse, OffsetOutsideTheBlockIsRefusedWithoutWriting) {
  r.paramValue = 77;
  for (std::uint8_t offset : {std::uint8_t(31), std::uint8_t(32), std::uint8_t(255)}) {
    r.paramOffset = offset;
    r.entryText = "5";
    ParseIntegerEntry(r);
    EXPECT_EQ(r.entryRejected, 1) << int(offset);
    Scaled("5", 100, '.');
    EXPECT_EQ(r.entryRejected, 1) << int(offset);
    EXPECT_EQ(r.paramValue, 77) << int(offset);
  }
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
