// The parameter editors. Each converts its entry into the parameter block, shows
// again what will be (or stays) stored, and only for a number locks editing and
// posts the write; the unit's answer is redisplayed by the exchange.
#include "commands/editors.h"

#include <algorithm>
#include <string>

#include "app/tool.h"
#include "commands/lock.h"
#include "decode/ServTKE.h"
#include "exchange/catalogue.h"

namespace zhv {

namespace {

constexpr std::uint8_t Offset(std::uint8_t word) { return static_cast<std::uint8_t>(2 * word); }

std::uint16_t WordAt(const ExchangeRecord& r, std::uint8_t word) {
  return static_cast<std::uint16_t>(r.param[Offset(word)] | r.param[Offset(word) + 1u] << 8);
}

void PutWord(ExchangeRecord& r, std::uint8_t word, std::uint16_t value) {
  r.param[Offset(word)] = static_cast<std::uint8_t>(value & 0xFF);
  r.param[Offset(word) + 1u] = static_cast<std::uint8_t>(value >> 8);
}

// The formatter shows magnitudes; an entry below zero keeps its sign in the edit,
// so the operator is not shown a positive number while its 16-bit image is sent.
std::string WithSign(std::int32_t value, std::string digits) {
  return value < 0 ? "-" + digits : digits;
}

void Post(Tool& t, std::int32_t pending) {
  LockEditing(t);
  t.r.pending = pending;
}

// A word with decimals; the parameter scale has been set by the caller.
template <class Format>
void DecimalEntry(Tool& t, Control& edit, std::uint8_t offset, std::int32_t pending, Format format) {
  ExchangeRecord& r = t.r;
  r.paramOffset = offset;
  r.entryText = edit.Text();
  ParseScaledEntry(r, t.p.locale);
  edit.SetText(WithSign(r.paramValue, format(r.paramValue)));
  if (r.entryRejected == 0) Post(t, pending);
}

void FixedScaleEntry(Tool& t, Control& edit, std::uint8_t offset, double scale,
                     std::uint8_t formatCode, std::int32_t pending = cat::kPendWriteWord) {
  t.r.paramScale = scale;
  DecimalEntry(t, edit, offset, pending,
               [formatCode](std::int32_t v) { return FormatValue(formatCode, v); });
}

// Channel 1 keeps its concentrations in the displayed kind's scale and wide format.
void Channel1Entry(Tool& t, Control& edit, std::uint8_t word) {
  ExchangeRecord& r = t.r;
  const auto kind = static_cast<std::uint16_t>(r.displayedKind | kKindWide);
  FormatByKind(r, kind | kKindBlank, 0);  // sets the scale
  DecimalEntry(t, edit, Offset(word), cat::kPendWriteWord,
               [&r, kind](std::int32_t v) { return FormatByKind(r, kind, v); });
}

void IntegerEntry(Tool& t, Control& edit, std::uint8_t word) {
  ExchangeRecord& r = t.r;
  r.paramOffset = Offset(word);
  r.entryText = edit.Text();
  ParseIntegerEntry(r);
  edit.SetText(WithSign(r.paramValue, FormatValue(5, r.paramValue)));
  if (r.entryRejected == 0) Post(t, cat::kPendWriteWord);
}

// An integer clamped to 0..max; text that is no number gives the stored value back.
std::int32_t ClampedEntry(ExchangeRecord& r, const Control& edit, std::int32_t stored,
                          std::int32_t max) {
  r.entryRejected = 0;
  std::int32_t value = 0;
  if (!ConvertInteger(edit.Text(), value)) {
    value = stored;
    r.entryRejected = 1;
  }
  r.paramValue = std::clamp(value, 0, max);
  return r.paramValue;
}

constexpr std::int32_t kMaxTemperatureThreshold = 127;
constexpr std::int32_t kMaxRecordPeriod = 0x0FFF;
constexpr std::uint16_t kRecordFlags = 0xF000;  // backup power, valve and two unused bits

// A configuration check box: checked while its bit is 0, the bit set switches the function off.
struct FlagBox {
  Control TForm1::*box;
  std::uint8_t ExchangeRecord::*echo;
  std::uint8_t word;
  std::uint16_t bit;
};

constexpr FlagBox kTemperatureBox{&TForm1::CheckBox320, &ExchangeRecord::echoTemperature,
                                  cat::kWordFlagsTemp, 0x0010};
constexpr FlagBox kVoiceBox{&TForm1::CheckBox360, &ExchangeRecord::echoVoice, cat::kWordFlagsTemp,
                            0x0020};
constexpr FlagBox kCleanAirBox{&TForm1::CheckBox1211, &ExchangeRecord::echoCleanAir,
                               cat::kWordFlagsTemp, 0x0080};
constexpr FlagBox kBackupPowerBox{&TForm1::CheckBox350, &ExchangeRecord::echoBackupPower,
                                  cat::kWordSystem, 0x1000};
constexpr FlagBox kValveBox{&TForm1::CheckBox3501, &ExchangeRecord::echoValve, cat::kWordSystem,
                            0x2000};

// The whole word is posted; its other bits go back as they stand.
void FlagBoxClick(Tool& t, const FlagBox& b) {
  ExchangeRecord& r = t.r;
  std::uint8_t& echo = r.*b.echo;
  if (echo == 1) {  // the redisplay set the box, not the operator
    echo = 0;
    return;
  }
  const std::uint16_t word = WordAt(r, b.word);
  PutWord(r, b.word,
          static_cast<std::uint16_t>((t.f.*b.box).Checked() ? word & ~b.bit : word | b.bit));
  r.paramOffset = Offset(b.word);
  Post(t, cat::kPendWriteWord);
  echo = 0;
}

}  // namespace

void BindEditors(Tool& t) {
  TForm1& f = t.f;
  f.Button321.OnClick = [&t] { Button321Click(t); };
  f.Button1220.OnClick = [&t] { Button1220Click(t); };
  f.Button123.OnClick = [&t] { Button123Click(t); };
  f.Button2220.OnClick = [&t] { Button2220Click(t); };
  f.Button223.OnClick = [&t] { Button223Click(t); };
  f.Button331.OnClick = [&t] { Button331Click(t); };
  f.Button351.OnClick = [&t] { Button351Click(t); };
  f.Button10210.OnClick = [&t] { Button10210Click(t); };
  f.Button421.OnClick = [&t] { Button421Click(t); };
  f.Button422.OnClick = [&t] { Button422Click(t); };
  f.Button423.OnClick = [&t] { Button423Click(t); };
  f.Button140.OnClick = [&t] { Button140Click(t); };
  f.CheckBox320.OnClick = [&t] { CheckBox320Click(t); };
  f.CheckBox360.OnClick = [&t] { CheckBox360Click(t); };
  f.CheckBox1211.OnClick = [&t] { CheckBox1211Click(t); };
  f.CheckBox350.OnClick = [&t] { CheckBox350Click(t); };
  f.CheckBox3501.OnClick = [&t] { CheckBox3501Click(t); };
  f.CheckBox10210.OnClick = [&t] { CheckBox10210Click(t); };
}

void Button321Click(Tool& t) {
  ExchangeRecord& r = t.r;
  r.paramOffset = Offset(cat::kWordFlagsTemp);
  const std::int32_t value = ClampedEntry(r, t.f.Edit321, r.param[1], kMaxTemperatureThreshold);
  t.f.Edit321.SetText(FormatValue(3, value));
  if (r.entryRejected == 1) return;
  LockEditing(t);
  r.param[1] = static_cast<std::uint8_t>(value);  // byte 0, the flags, is sent as it stands
  r.pending = cat::kPendWriteWord;
}

void Button1220Click(Tool& t) { Channel1Entry(t, t.f.Edit1220, cat::kWordCalConc1); }
void Button123Click(Tool& t) { Channel1Entry(t, t.f.Edit123, cat::kWordThreshold1); }
void Button2220Click(Tool& t) { FixedScaleEntry(t, t.f.Edit2220, Offset(cat::kWordCalConc2), 1, 4); }
void Button223Click(Tool& t) { FixedScaleEntry(t, t.f.Edit223, Offset(cat::kWordThreshold2), 1, 4); }
void Button331Click(Tool& t) { FixedScaleEntry(t, t.f.Edit3310, Offset(cat::kWordValve), 100, 0x24); }
void Button351Click(Tool& t) { IntegerEntry(t, t.f.Edit351, cat::kWordBackupTime); }

void Button10210Click(Tool& t) {
  ExchangeRecord& r = t.r;
  r.paramOffset = Offset(cat::kWordSystem);
  const std::int32_t value =
      ClampedEntry(r, t.f.Edit10210, WordAt(r, cat::kWordSystem) & kMaxRecordPeriod, kMaxRecordPeriod);
  t.f.Edit10210.SetText(FormatValue(4, value));
  if (value == 0) t.f.CheckBox10210.SetChecked(true);
  if (r.entryRejected == 1) return;
  LockEditing(t);
  const std::uint16_t flags = WordAt(r, cat::kWordSystem) & kRecordFlags;
  PutWord(r, cat::kWordSystem, static_cast<std::uint16_t>(flags | value));
  r.pending = cat::kPendWriteWord;
}

void Button421Click(Tool& t) { IntegerEntry(t, t.f.Edit421, cat::kWordPeriodNormal); }
void Button422Click(Tool& t) { IntegerEntry(t, t.f.Edit422, cat::kWordPeriodFault); }
void Button423Click(Tool& t) { IntegerEntry(t, t.f.Edit423, cat::kWordPeriodGas); }

void Button140Click(Tool& t) {
  FixedScaleEntry(t, t.f.Edit142, cat::kSupplyOffset, 100, 0x23, cat::kPendSetSupply);
}

void CheckBox320Click(Tool& t) { FlagBoxClick(t, kTemperatureBox); }
void CheckBox360Click(Tool& t) { FlagBoxClick(t, kVoiceBox); }
void CheckBox1211Click(Tool& t) { FlagBoxClick(t, kCleanAirBox); }
void CheckBox350Click(Tool& t) { FlagBoxClick(t, kBackupPowerBox); }
void CheckBox3501Click(Tool& t) { FlagBoxClick(t, kValveBox); }

// Ticking the box clears the period at once; it is sent with "Записать".
void CheckBox10210Click(Tool& t) {
  ExchangeRecord& r = t.r;
  if (r.displayUpdate == 1 || !t.f.CheckBox10210.Checked()) return;
  PutWord(r, cat::kWordSystem, WordAt(r, cat::kWordSystem) & kRecordFlags);
  t.f.Edit10210.SetText("0000");
}

}  // namespace zhv
