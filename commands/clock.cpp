#include "commands/clock.h"

#include <algorithm>

#include "decode/codecs.h"
#include "protocol/catalogue.h"
#include "ui/bindings.h"

namespace zhv {

namespace {

constexpr Click<Clock> kClicks[] = {
    {&TForm1::Button10221, &Clock::SetDateTime},     {&TForm1::Button10222, &Clock::CopyUnitDateTime},
    {&TForm1::Button10223, &Clock::CopyPcDateTime},  {&TForm1::Button10230, &Clock::SetStorageSetup},
    {&TForm1::Button10241, &Clock::WriteDivider},    {&TForm1::Button10242, &Clock::ReadDivider},
};

}  // namespace

void Clock::Bind() { BindClicks<Clock>(f_, *this, kClicks); }

// The edits are checked when the job runs, so what is sent is what they show then.
void Clock::SetDateTime() {
  lock_.Lock();
  ex_.jobs.clockRequested = true;
  ex_.poll.pending = Pending::Storage;
}

void Clock::CopyUnitDateTime() {
  const Control* shown[] = {&f_.Edit10121, &f_.Edit10122, &f_.Edit10123, &f_.Edit10124, &f_.Edit10125, &f_.Edit10126};
  Control* entry[] = {&f_.Edit10221, &f_.Edit10222, &f_.Edit10223, &f_.Edit10224, &f_.Edit10225, &f_.Edit10226};
  for (int i = 0; i < 6; ++i) entry[i]->SetText(shown[i]->Text());
}

void Clock::CopyPcDateTime() {
  const LocalDateTime now = pc_.Now();
  f_.Edit10221.SetText(FormatValue(2, now.day));
  f_.Edit10222.SetText(FormatValue(2, now.month));
  // A unit that reports no software version takes a two-digit year.
  f_.Edit10223.SetText(ex_.poll.unit.version != 0 ? FormatValue(4, now.year) : FormatValue(2, now.year % 100));
  f_.Edit10224.SetText(FormatValue(2, now.hour));
  f_.Edit10225.SetText(FormatValue(2, now.minute));
  f_.Edit10226.SetText(FormatValue(2, now.second));
}

// The boxes are read when the request is built, not here.
void Clock::SetStorageSetup() {
  lock_.Lock();
  ex_.jobs.setupRequested = true;
  ex_.poll.pending = Pending::Storage;
}

void Clock::PostDivider(std::int32_t value, bool write) {
  ex_.jobs.divider = value;
  ex_.jobs.dividerRead = !write;
  ex_.jobs.dividerWrite = write;
  ex_.poll.pending = Pending::ClockDivider;
}

// Never refused: an unreadable entry becomes the lowest divider.
void Clock::WriteDivider() {
  WriteDivider(ParseInteger(f_.Edit1024.Text()).value_or(0));
}

void Clock::WriteDivider(std::int32_t divider) {
  lock_.Lock();
  f_.Button10242.SetEnabled(false);
  const std::int32_t value = std::clamp(divider, cat::kDividerMin, cat::kDividerMax);
  f_.Edit1024.SetText(FormatValue(4, value));
  PostDivider(value, true);
}

void Clock::ReadDivider() {
  if (RefusedDuringReadOut(ex_)) return;
  lock_.Lock();
  f_.Button10242.SetEnabled(false);
  PostDivider(0, false);
}

ClockEntry Clock::ReadClockEntry() {
  struct Field {
    Control& edit;
    std::int32_t min, max;
    std::uint8_t formatCode;
  };
  const Field fields[] = {
      {f_.Edit10221, 1, 31, 2}, {f_.Edit10222, 1, 12, 2}, {f_.Edit10223, 1, 9999, 4},
      {f_.Edit10224, 0, 23, 2}, {f_.Edit10225, 0, 59, 2}, {f_.Edit10226, 0, 59, 2},
  };
  std::int32_t values[6];
  ClockEntry entry;
  entry.valid = true;
  // Every field is checked and rewritten, so all corrections show at once.
  for (int i = 0; i < 6; ++i) {
    const Field& field = fields[i];
    const auto typed = ParseInteger(field.edit.Text());
    std::int32_t value = typed.value_or(1);
    if (!typed || value < field.min || value > field.max) entry.valid = false;
    value = std::clamp(value, field.min, field.max);
    field.edit.SetText(FormatValue(field.formatCode, value));
    values[i] = value;
  }
  entry.payload = {static_cast<std::uint8_t>(values[0]),        static_cast<std::uint8_t>(values[1]),
                   static_cast<std::uint8_t>(values[2] & 0xFF), static_cast<std::uint8_t>(values[2] >> 8),
                   static_cast<std::uint8_t>(values[3]),        static_cast<std::uint8_t>(values[4]),
                   static_cast<std::uint8_t>(values[5])};
  return entry;
}

std::uint8_t Clock::SetupByte() const {
  std::uint8_t bits = 0;
  if (f_.CheckBox10236.Checked()) bits |= cat::kSetupInitBuffer;
  if (f_.CheckBox10235.Checked()) bits |= cat::kSetupResetOverflow;
  return bits;
}

}  // namespace zhv
