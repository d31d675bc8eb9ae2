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
// Long enough to be read, short enough not to hide the progress for long.
constexpr int kNoticeMs = 3000;
constexpr const char* kNotCarriedOut = "Идёт чтение буфера: команда не выполнена";

constexpr Click<ReadOut> kClicks[] = {
    {&TForm1::Button10310, &ReadOut::ChooseFile},
    {&TForm1::Button10320, &ReadOut::ApplyCount},
    {&TForm1::Button10330, &ReadOut::ApplyAddress},
    {&TForm1::Button1030, &ReadOut::Start},
    {&TForm1::Button1033, &ReadOut::Stop},
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

// "27 с", "1 мин 05 с", "2 ч 05 мин".
std::string Duration(std::int64_t ms) {
  const long long seconds = (ms + 999) / 1000;
  char text[48];
  if (seconds < 60) std::snprintf(text, sizeof text, "%lld с", seconds);
  else if (seconds < 3600) std::snprintf(text, sizeof text, "%lld мин %02lld с", seconds / 60, seconds % 60);
  else std::snprintf(text, sizeof text, "%lld ч %02lld мин", seconds / 3600, seconds / 60 % 60);
  return text;
}

}  // namespace

std::string ProgressText(std::int32_t written, std::int32_t total, std::int64_t elapsedMs) {
  if (total <= 0) return "Записано записей: " + std::to_string(written);
  std::string text = "Записано " + std::to_string(written) + " из " + std::to_string(total) + " (" +
                     std::to_string(static_cast<std::int64_t>(written) * 100 / total) + " %)";
  // The pace so far says how long the rest takes; no pace before the first record.
  if (written > 0 && written < total)
    text += ", осталось " + Duration(elapsedMs * (total - written) / written);
  return text;
}

void ReadOut::Bind() {
  BindClicks<ReadOut>(f_, *this, kClicks);
  viewer.Bind();
}

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

Layout ReadOut::ChosenLayout() const {
  if (f_.RadioButton103123.Checked()) return Layout::Workbook;
  return f_.RadioButton103122.Checked() ? Layout::Readable : Layout::Spreadsheet;
}

void ReadOut::Start() {
  ReadOutJob& job = ex_.jobs.readOut;
  const Layout layout = ChosenLayout();
  lock_.Lock();
  if (!exportFile.Open(f_.Edit10310.Text(), !overwrite, layout)) {
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
  const UnitInfo& unit = ex_.poll.unit;
  const Control* mode = job.whole ? &f_.RadioButton10321 : job.addressed ? &f_.RadioButton10323 : &f_.RadioButton10322;
  exportFile.unit = {Hex2(ex_.link.SendType()) + "h", f_.Panel2.Text(), FormatValue(0x23, unit.version), Hex2(unit.id4) + Hex2(unit.id5),
                     mode->Text() + (job.whole ? "" : " (" + std::to_string(job.recordsRequested) + ")")};
  if (!exportFile.Start(layout)) {
    SetFileButtons(true);
    lock_.Unlock();
    return;
  }
  job.requested = true;
  ex_.poll.pending = Pending::Storage;
  f_.Button1033.SetEnabled(true);
  elapsedMs_ = 0;
  noticeMs_ = 0;
  f_.ProgressBar1030.SetPosition(0);
  f_.Panel1030.SetColour(clr::BtnFace);
  Follow(0);
}

void ReadOut::Stop() {
  if (!ex_.ReadOutRunning()) return;
  ex_.jobs.readOut.stopRequested = true;
  f_.Button1033.SetEnabled(false);  // taken: the end follows within a block
}

std::int32_t ReadOut::ExpectedTotal() const {
  const ReadOutJob& job = ex_.jobs.readOut;
  // Before the storage status has come, the buffer's count is not known.
  const std::int32_t expected = !job.whole ? job.recordsRequested
                                : ex_.jobs.referenceYearKnown ? ex_.jobs.bufferRecords
                                                              : 0;
  return expected > 0 ? std::max(expected, exportFile.RecordsWritten()) : 0;
}

void ReadOut::Follow(int tickMs) {
  if (!ex_.ReadOutRunning()) return;
  elapsedMs_ += tickMs;
  const std::int32_t total = ExpectedTotal();
  const std::int32_t written = exportFile.RecordsWritten();
  f_.ProgressBar1030.SetMax(total);  // 0: busy, the end unknown
  f_.ProgressBar1030.SetPosition(written);
  ReadOutJob& job = ex_.jobs.readOut;
  if (job.commandRefused) {
    job.commandRefused = false;
    noticeMs_ = kNoticeMs;
  }
  if (noticeMs_ > 0) {
    noticeMs_ -= tickMs;
    f_.Panel1030.SetText(kNotCarriedOut);
    f_.Panel1030.SetColour(clr::Yellow);
    return;
  }
  f_.Panel1030.SetText(ProgressText(written, total, elapsedMs_));
  f_.Panel1030.SetColour(clr::BtnFace);
}

void ReadOut::CloseReadOut(ReadOutEnd how) {
  exportFile.Close(how, ex_.jobs.readOut.unconfirmed);
  // The bar stops where the read-out did; a complete one fills it.
  ProgressBarControl& bar = f_.ProgressBar1030;
  if (bar.Max() == 0) bar.SetMax(1);
  if (how == ReadOutEnd::Complete) bar.SetPosition(bar.Max());
}

void ReadOut::ReadOutOver() {
  SetFileButtons(true);
  viewer.ReadOutOver();
  f_.Button1033.SetEnabled(false);
  noticeMs_ = 0;
}

}  // namespace zhv
