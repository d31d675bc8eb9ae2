#include "commands/editors.h"

#include <algorithm>
#include <string>

#include "decode/codecs.h"

namespace zhv {

namespace {

struct WriteButton {
  Control TForm1::*button;
  const param::Field* field;
};

// clang-format off
constexpr WriteButton kWriteButtons[] = {
    {&TForm1::Button321, &param::kTemperatureThreshold},
    {&TForm1::Button1220, &param::kCalConcentration1},
    {&TForm1::Button123, &param::kThreshold1},
    {&TForm1::Button2220, &param::kCalConcentration2},
    {&TForm1::Button223, &param::kThreshold2},
    {&TForm1::Button331, &param::kValveVoltage},
    {&TForm1::Button351, &param::kBackupRunTime},
    {&TForm1::Button10210, &param::kRecordPeriod},
    {&TForm1::Button421, &param::kPeriodNormal},
    {&TForm1::Button422, &param::kPeriodFault},
    {&TForm1::Button423, &param::kPeriodGas},
    {&TForm1::Button140, &param::kSupplySetpoint},  // "Задать"
};
// clang-format on

// The formatter shows magnitudes; an entry below zero keeps its sign in the edit,
// so the operator is not shown a positive number while its 16-bit image is sent.
std::string WithSign(std::int32_t value, std::string digits) { return value < 0 ? "-" + digits : digits; }

}  // namespace

void Editors::Bind() {
  for (const WriteButton& row : kWriteButtons)
    (f_.*row.button).OnClick = [this, &field = *row.field] { Write(field); };
  for (const FlagBox& box : kFlagBoxes) EditOf(*box.flag).OnClick = [this, &box] { SwitchFunction(box); };
  f_.CheckBox10210.OnClick = [this] { StopRecording(); };
}

void Editors::Post(Pending pending) {
  lock_.Lock();
  ex_.poll.pending = pending;
}

void Editors::Write(const param::Field& field) {
  PollState& p = ex_.poll;
  param::Block& block = p.param;
  Control& edit = EditOf(field);
  p.paramOffset = param::Offset(field.word);
  const std::uint16_t stored = param::Get(block, field);

  if (field.entry == param::Entry::Clamped) {
    // Never stored until it is posted; a number beyond the range is held to it.
    const auto entered = ParseInteger(edit.Text());
    const std::int32_t value = std::clamp<std::int32_t>(entered.value_or(stored), field.min, field.max);
    edit.SetText(FormatValue(field.entryFormat, value));
    if (&field == &param::kRecordPeriod && value == 0) f_.CheckBox10210.SetChecked(true);
    if (!entered) return;
    lock_.Lock();
    param::Set(block, field, static_cast<std::uint32_t>(value));
    p.pending = Pending::WriteWord;
    return;
  }

  // The other fields are whole words: the low 16 bits of the entry are stored at
  // once, or the stored word again when the text is no number.
  std::optional<std::int32_t> entered;
  std::string shown;
  if (field.entry == param::Entry::Integer) {
    entered = ParseInteger(edit.Text());
    const std::int32_t value = entered.value_or(stored);
    shown = WithSign(value, FormatValue(field.entryFormat, value));
    param::PutWord(block, field.word, static_cast<std::uint16_t>(value));
  } else {
    // Channel 1 keeps its concentrations in the displayed kind's scale and wide format.
    const auto kind = static_cast<std::uint16_t>(p.unit.displayedKind | kKindWide);
    const bool byKind = field.entry == param::Entry::ByKind;
    entered = ParseScaledEntry(edit.Text(), byKind ? KindScale(kind) : field.scale, locale_.DecimalSeparator());
    const std::int32_t value = entered.value_or(stored);
    shown = WithSign(value, byKind ? FormatByKind(kind, value) : FormatValue(field.entryFormat, value));
    param::PutWord(block, field.word, static_cast<std::uint16_t>(value));
  }
  edit.SetText(shown);
  if (entered) Post(field.word == param::kSetpointWord ? Pending::SetSupply : Pending::WriteWord);
}

void Editors::SwitchFunction(const FlagBox& box) {
  bool& echo = display_.echoes.*box.echo;
  if (echo) {  // the redisplay set the box, not the operator
    echo = false;
    return;
  }
  PollState& p = ex_.poll;
  // Checked means the function is on: its bit is 0. The word's other bits go back as they stand.
  param::Set(p.param, *box.flag, EditOf(*box.flag).Checked() ? 0 : 1);
  p.paramOffset = param::Offset(box.flag->word);
  Post(Pending::WriteWord);
  echo = false;
}

void Editors::WriteField(const param::Field& field, std::uint32_t value) {
  PollState& p = ex_.poll;
  param::Set(p.param, field, value);
  p.paramOffset = param::Offset(field.word);
  Post(field.word == param::kSetpointWord ? Pending::SetSupply : Pending::WriteWord);
}

void Editors::StopRecording() {
  if (display_.displayUpdate || !f_.CheckBox10210.Checked()) return;
  param::Set(ex_.poll.param, param::kRecordPeriod, 0);
  f_.Edit10210.SetText("0000");
}

}  // namespace zhv
