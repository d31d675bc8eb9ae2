// The read-out handlers: they choose, check and post; the storage job states
// read the blocks and the export file writes them.
#include "storage/readout.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "app/tool.h"
#include "commands/lock.h"
#include "decode/ServTKE.h"
#include "exchange/catalogue.h"
#include "storage/export.h"

namespace zhv {

namespace {

constexpr std::int32_t kMinCount = 1;
constexpr std::int32_t kMaxCount = 99999;
constexpr std::int32_t kMinAddress = 0x08006000;
constexpr std::int32_t kMaxAddress = 0x0801FFF0;
constexpr std::int32_t kDefaultAddress = 0x0800B000;

void SetFlag(std::uint8_t& flags, std::uint8_t bit, bool on) {
  flags = static_cast<std::uint8_t>(on ? flags | bit : flags & ~bit);
}

void ClearPanel(TForm1& f) {
  f.Panel1030.SetText("");
  f.Panel1030.SetColour(clr::BtnFace);
}

// Hexadecimal digits only, no prefix, within 32 bits (read as a signed word).
bool ConvertHex(std::string_view text, std::int32_t& value) {
  if (text.empty() || text.size() > 8) return false;
  std::uint32_t v = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else return false;
    v = v << 4 | static_cast<std::uint32_t>(digit);
  }
  value = static_cast<std::int32_t>(v);
  return true;
}

}  // namespace

void BindReadOut(Tool& t) {
  TForm1& f = t.f;
  f.Button10310.OnClick = [&t] { Button10310Click(t); };
  f.Button10320.OnClick = [&t] { Button10320Click(t); };
  f.Button10330.OnClick = [&t] { Button10330Click(t); };
  f.Button1030.OnClick = [&t] { Button1030Click(t); };
}

// The open mode chosen here holds until the next press, whatever the radio buttons show meanwhile.
void Button10310Click(Tool& t) {
  TForm1& f = t.f;
  SetFlag(t.r.readOutFlags, cat::kReadOverwrite, f.RadioButton103112.Checked());
  SetFlag(t.r.readOutFlags, cat::kReadReadable, f.RadioButton103122.Checked());
  ClearPanel(f);
  std::string name = f.Edit10310.Text();
  if (t.p.saveDialog.Execute(name)) f.Edit10310.SetText(name);
}

void SetFileButtons(Tool& t, bool enabled) {
  for (Control* c : {&t.f.Button10310, &t.f.Button10320, &t.f.Button10330}) c->SetEnabled(enabled);
}

void Button10320Click(Tool& t) { ApplyCount(t); }

void Button10330Click(Tool& t) { ApplyAddress(t); }

void ApplyCount(Tool& t) {
  std::int32_t value = 0;
  if (!ConvertInteger(t.f.Edit10320.Text(), value)) value = 1;
  value = std::clamp(value, kMinCount, kMaxCount);
  t.f.Edit10320.SetText(std::to_string(value));
  t.r.recordsRequested = value;
  ClearPanel(t.f);
}

void ApplyAddress(Tool& t) {
  std::int32_t value = 0;
  if (!ConvertHex(t.f.Edit10330.Text(), value)) value = kDefaultAddress;
  t.r.startAddress = std::clamp(value, kMinAddress, kMaxAddress) & ~0x0F;
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(t.r.startAddress));
  t.f.Edit10330.SetText(text);
  ClearPanel(t.f);
}

void Button1030Click(Tool& t) {
  TForm1& f = t.f;
  ExchangeRecord& r = t.r;
  LockEditing(t);
  if (!OpenExport(t)) {
    UnlockEditing(t);
    return;
  }
  SetFileButtons(t, false);
  SetFlag(r.readOutFlags, cat::kReadReadable, f.RadioButton103122.Checked());
  if (f.RadioButton10321.Checked()) {
    SetFlag(r.readOutFlags, cat::kReadWhole, true);
    SetFlag(r.readOutFlags, cat::kReadAddressed, false);
  } else if (f.RadioButton10322.Checked()) {
    ApplyCount(t);
    SetFlag(r.readOutFlags, cat::kReadWhole | cat::kReadAddressed, false);
  } else {
    ApplyCount(t);
    ApplyAddress(t);
    SetFlag(r.readOutFlags, cat::kReadWhole, false);
    SetFlag(r.readOutFlags, cat::kReadAddressed, true);
  }
  // Nothing is posted unless the file took its header.
  if (!StartExport(t)) {
    SetFileButtons(t, true);
    UnlockEditing(t);
    return;
  }
  r.readOutFlags |= cat::kReadRequested;
  r.pending = cat::kPendStorage;
}

}  // namespace zhv
