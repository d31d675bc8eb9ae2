#include "commands/editors.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "decode/codecs.h"
#include "protocol/gas_kinds.h"
#include "ui/tab_panels.h"

namespace zhv {

namespace {

constexpr char kEnter = '\r';

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

}  // namespace

void Editors::Bind() {
  for (const WriteButton& row : kWriteButtons) {
    Control& button = f_.*row.button;
    button.OnClick = [this, &field = *row.field] { Write(field); };
    // Enter in the edit is its button: nothing happens while editing is locked.
    EditOf(*row.field).OnKeyPress = [&button](char& key) {
      if (key != kEnter) return;
      key = 0;
      button.Click();
    };
  }
  for (const FlagBox& box : kFlagBoxes) EditOf(*box.flag).OnClick = [this, &box] { SwitchFunction(box); };
  f_.CheckBox10210.OnClick = [this] { StopRecording(); };
}

void Editors::Post(const param::Field& field, Pending pending) {
  lock_.Lock();
  ex_.poll.writing = &field;
  ex_.poll.pending = pending;
  // The tab's panel now waits for this write's verdict.
  Say(TabPanelOf(f_, EditOf(field)), "", clr::WindowText);
}

// Channel 1 keeps its concentrations in the displayed kind's scale and wide format.
std::string Editors::Shown(const param::Field& field, std::int32_t value) const {
  if (field.entry == param::Entry::ByKind)
    return FormatByKind(static_cast<std::uint16_t>(ex_.poll.unit.displayedKind | kKindWide), value);
  return FormatValue(field.entryFormat, value);
}

bool Editors::ThresholdConfirmed(const param::Field& field, std::int32_t value) {
  for (int channel = 0; channel < 2; ++channel) {
    if (&field != &param::kChannels[channel].threshold) continue;
    const GasKind& kind = GasKindOf(ChannelKind(ex_.poll, display_, channel));
    if (kind.code == 0 || kind.secondChannel) return true;  // no sensor range to hold it to
    const bool byKind = field.entry == param::Entry::ByKind;
    // The top of the range is that of the kind's concentration chart.
    const auto top = static_cast<std::int32_t>(std::lround(kind.channel.concentration.max * (byKind ? kind.scale : field.scale)));
    if (value <= top) return true;
    const std::uint8_t format = byKind ? kind.wideFormat : field.entryFormat;
    const std::string unit = " " + ConcentrationUnit(kind.channel);
    return dialogs_.Ask("Порог " + FormatPlain(format, value) + unit + " выше диапазона сенсора " + kind.channel.gas +
                            " (0…" + FormatPlain(format, top) + unit +
                            "): при таком пороге сигнализация может не сработать.\n\nЗаписать порог?",
                        false);
  }
  return true;
}

void Editors::Write(const param::Field& field) {
  PollState& p = ex_.poll;
  Control& edit = EditOf(field);
  p.paramOffset = param::Offset(field.word);
  const std::uint16_t stored = param::Get(p.param, field);

  if (field.entry == param::Entry::Clamped) {
    // Never stored until it is posted; a number beyond the range is held to it.
    const auto entered = ParseInteger(edit.Text());
    const std::int32_t value = std::clamp<std::int32_t>(entered.value_or(stored), field.min, field.max);
    edit.SetText(FormatValue(field.entryFormat, value));
    if (&field == &param::kRecordPeriod && value == 0) f_.CheckBox10210.SetChecked(true);
    if (!entered) return;
    param::Set(p.param, field, static_cast<std::uint32_t>(value));
    Post(field, Pending::WriteWord);
    return;
  }

  // The other fields are whole words. Text that is no number leaves the stored
  // word in place; a number the word cannot hold is refused rather than let wrap
  // round into another value, which for a threshold could mean an alarm that never comes.
  const bool byKind = field.entry == param::Entry::ByKind;
  std::optional<std::int32_t> entered;
  if (field.entry == param::Entry::Integer) {
    entered = ParseInteger(edit.Text());
  } else {
    const double scale = byKind ? KindScale(p.unit.displayedKind) : field.scale;
    entered = ParseScaledEntry(edit.Text(), scale, locale_.DecimalSeparator());
  }
  if (!entered) {
    edit.SetText(Shown(field, stored));
    return;
  }
  if (*entered < field.min || *entered > field.max) {
    const std::uint8_t format = byKind ? GasKindOf(p.unit.displayedKind).wideFormat : field.entryFormat;
    edit.SetText(Shown(field, stored));
    Say(TabPanelOf(f_, edit),
        "Не записано: допустимо " + FormatPlain(format, field.min) + "…" + FormatPlain(format, field.max), clr::Red);
    return;
  }
  // The question keeps the window alive: the poll may have locked editing or read the block meanwhile.
  const bool confirmed = ThresholdConfirmed(field, *entered);
  if (!confirmed || edit.ReadOnly()) {
    edit.SetText(Shown(field, param::Get(p.param, field)));
    if (!confirmed) Say(TabPanelOf(f_, edit), "Не записано", clr::WindowText);
    return;
  }
  p.paramOffset = param::Offset(field.word);
  param::PutWord(p.param, field.word, static_cast<std::uint16_t>(*entered));
  edit.SetText(Shown(field, *entered));
  Post(field, field.word == param::kSetpointWord ? Pending::SetSupply : Pending::WriteWord);
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
  Post(*box.flag, Pending::WriteWord);
  echo = false;
}

void Editors::WriteField(const param::Field& field, std::uint32_t value) {
  PollState& p = ex_.poll;
  param::Set(p.param, field, value);
  p.paramOffset = param::Offset(field.word);
  Post(field, field.word == param::kSetpointWord ? Pending::SetSupply : Pending::WriteWord);
}

void Editors::StopRecording() {
  if (display_.displayUpdate || !f_.CheckBox10210.Checked()) return;
  param::Set(ex_.poll.param, param::kRecordPeriod, 0);
  f_.Edit10210.SetText("0000");
}

}  // namespace zhv
