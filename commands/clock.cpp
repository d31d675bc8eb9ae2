// Clock setting and correction: the handlers only flag the job and post it;
// the storage job states send the requests.
#include "commands/clock.h"

#include <algorithm>

#include "app/tool.h"
#include "commands/lock.h"
#include "decode/ServTKE.h"
#include "exchange/catalogue.h"

namespace zhv {

namespace {

constexpr std::int32_t kDividerMin = 6300;
constexpr std::int32_t kDividerMax = 9999;

void PostDivider(Tool& t, std::int32_t value, std::uint8_t flags) {
  t.r.clockDivider = value;
  t.r.dividerFlags = flags;
  t.r.pending = cat::kPendClockDivider;
}

}  // namespace

void BindClock(Tool& t) {
  TForm1& f = t.f;
  f.Button10221.OnClick = [&t] { Button10221Click(t); };
  f.Button10222.OnClick = [&t] { Button10222Click(t); };
  f.Button10223.OnClick = [&t] { Button10223Click(t); };
  f.Button10230.OnClick = [&t] { Button10230Click(t); };
  f.Button10241.OnClick = [&t] { Button10241Click(t); };
  f.Button10242.OnClick = [&t] { Button10242Click(t); };
}

// The edits are checked when the job runs, so what is sent is what they show then.
void Button10221Click(Tool& t) {
  LockEditing(t);
  t.r.clockSetFlags = cat::kClockSetRequested;
  t.r.pending = cat::kPendStorage;
}

void Button10222Click(Tool& t) {
  TForm1& f = t.f;
  const Control* shown[] = {&f.Edit10121, &f.Edit10122, &f.Edit10123, &f.Edit10124, &f.Edit10125, &f.Edit10126};
  Control* entry[] = {&f.Edit10221, &f.Edit10222, &f.Edit10223, &f.Edit10224, &f.Edit10225, &f.Edit10226};
  for (int i = 0; i < 6; ++i) entry[i]->SetText(shown[i]->Text());
}

void Button10223Click(Tool& t) {
  TForm1& f = t.f;
  const LocalDateTime now = t.p.clock.Now();
  f.Edit10221.SetText(FormatValue(2, now.day));
  f.Edit10222.SetText(FormatValue(2, now.month));
  // A unit that reports no software version takes a two-digit year.
  f.Edit10223.SetText(t.r.identValue != 0 ? FormatValue(4, now.year) : FormatValue(2, now.year % 100));
  f.Edit10224.SetText(FormatValue(2, now.hour));
  f.Edit10225.SetText(FormatValue(2, now.minute));
  f.Edit10226.SetText(FormatValue(2, now.second));
}

// The boxes are read when the request is built, not here.
void Button10230Click(Tool& t) {
  LockEditing(t);
  t.r.storageSetupFlags = cat::kSetupRequested;
  t.r.pending = cat::kPendStorage;
}

// Never refused: an unreadable entry becomes the lowest divider.
void Button10241Click(Tool& t) {
  LockEditing(t);
  t.f.Button10242.SetEnabled(false);
  std::int32_t value = 0;
  ConvertInteger(t.f.Edit1024.Text(), value);  // unreadable text leaves 0
  value = std::clamp(value, kDividerMin, kDividerMax);
  t.f.Edit1024.SetText(FormatValue(4, value));
  PostDivider(t, value, cat::kDividerWrite);
}

void Button10242Click(Tool& t) {
  LockEditing(t);
  t.f.Button10242.SetEnabled(false);
  PostDivider(t, 0, cat::kDividerRead);
}

}  // namespace zhv
