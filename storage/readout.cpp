#include "storage/readout.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "decode/codecs.h"
#include "ui/bindings.h"

namespace zhv {

namespace {

constexpr std::int32_t kMinCount = 1;
constexpr std::int32_t kMaxCount = 99999;
constexpr std::int32_t kMinAddress = 0x08006000;
constexpr std::int32_t kMaxAddress = 0x0801FFF0;
constexpr std::int32_t kDefaultAddress = 0x0800B000;

constexpr Click<ReadOut> kClicks[] = {
    {&TForm1::Button10310, &ReadOut::ChooseFile},
    {&TForm1::Button10320, &ReadOut::ApplyCount},
    {&TForm1::Button10330, &ReadOut::ApplyAddress},
    {&TForm1::Button1030, &ReadOut::Start},
};

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

void ReadOut::Bind() { BindClicks<ReadOut>(f_, *this, kClicks); }

void ReadOut::ChooseFile() {
  overwrite = f_.RadioButton103112.Checked();
  ClearPanel(f_);
  std::string name = f_.Edit10310.Text();
  if (dialog_.Execute(name)) f_.Edit10310.SetText(name);
}

void ReadOut::SetFileButtons(bool enabled) {
  for (Control* c : {&f_.Button10310, &f_.Button10320, &f_.Button10330}) c->SetEnabled(enabled);
}

void ReadOut::ApplyCount() {
  const std::int32_t value = std::clamp(ParseInteger(f_.Edit10320.Text()).value_or(1), kMinCount, kMaxCount);
  f_.Edit10320.SetText(std::to_string(value));
  ex_.jobs.readOut.recordsRequested = value;
  ClearPanel(f_);
}

void ReadOut::ApplyAddress() {
  std::int32_t value = 0;
  if (!ConvertHex(f_.Edit10330.Text(), value)) value = kDefaultAddress;
  ReadOutJob& job = ex_.jobs.readOut;
  job.startAddress = std::clamp(value, kMinAddress, kMaxAddress) & ~0x0F;
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(job.startAddress));
  f_.Edit10330.SetText(text);
  ClearPanel(f_);
}

void ReadOut::Start() {
  ReadOutJob& job = ex_.jobs.readOut;
  lock_.Lock();
  if (!exportFile.Open(f_.Edit10310.Text(), !overwrite)) {
    lock_.Unlock();
    return;
  }
  SetFileButtons(false);
  if (f_.RadioButton10321.Checked()) {
    job.whole = true;
    job.addressed = false;
  } else if (f_.RadioButton10322.Checked()) {
    ApplyCount();
    job.whole = job.addressed = false;
  } else {
    ApplyCount();
    ApplyAddress();
    job.whole = false;
    job.addressed = true;
  }
  // Nothing is posted unless the file took its header.
  if (!exportFile.Start(f_.RadioButton103122.Checked() ? Layout::Readable : Layout::Spreadsheet)) {
    SetFileButtons(true);
    lock_.Unlock();
    return;
  }
  job.requested = true;
  ex_.poll.pending = Pending::Storage;
}

}  // namespace zhv
